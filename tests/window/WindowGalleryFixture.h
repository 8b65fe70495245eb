#pragma once

#include "WindowFixture.h"
#include "model/PondraColor.h"

#include <memory>
#include <vector>

// A workspace window dressed as for a show, for pictures of it.
class WindowGallery : public WindowFixture {
protected:
    // Carts of these names, the second one shown full of cues, in an active window.
    PondraWindow& showCarts(const std::vector<const char*>& names) {
        auto shown = std::make_shared<Workspace>(device, files.path("cache"));
        for (const char* name : names) {
            auto added = std::make_shared<Cart>();
            added->setName(name);
            shown->addCart(added);
        }
        showWorkspace(shown);
        controller->selectTab(1);
        fillShow();
        PondraWindow& window = *controller->window();
        window.resize(900, 620);
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
        return window;
    }

    // An untitled window with a second cart "Act Two", so the tab row shows
    // (grown in), its first cart shown.
    void openWindowOfTwoCarts() {
        openWindow();
        auto second = std::make_shared<Cart>();
        second->setName("Act Two");
        workspace->addCart(second);
        controller->addControllerForCart(second);
        controller->selectTab(0);
        scheduler.advance(0.2);
    }

    // A show's worth of cues in a 4 x 4 cart.
    void fillShow() {
        struct Entry {
            std::size_t slot;
            const char* name;
            const char* color;
            bool loops;
            bool hold;
        };
        const Entry entries[] = {
            {0, "Preshow Music", "blue", true, false},
            {1, "Welcome Announcement", "lightblue", false, false},
            {2, "Thunder Crack", "purple", false, false},
            {4, "Door Slam", "orange", false, false},
            {5, "Phone Ring", "yellow", false, true},
            {6, "Rain Ambience (long loop)", "green", true, false},
            {8, "Act One Underscore", "red", false, false},
            {9, "Car Horn", "default", false, false},
            {12, "Interval Music", "blue", true, false},
            {15, "Curtain Call", "red", false, false},
        };
        for (const Entry& entry : entries) {
            auto cue = placeCue(wav(std::string(entry.name) + ".wav", 0.1f, 3.0), entry.slot,
                                cart().defaultHotkeyForIndex(entry.slot));
            cue->setName(entry.name);
            cue->setColor(PondraColor::colorWithName(entry.color));
            cue->setLoops(entry.loops);
            cue->setHold(entry.hold);
        }
    }
};
