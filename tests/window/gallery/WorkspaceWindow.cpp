// The workspace window in edit mode, in show mode and with cues playing, with
// cue names of a megabyte, and its tab row with three carts and with twelve,
// drawn to the gallery at 1x and 2x.
#include "support/Gallery.h"
#include "window/WindowGalleryFixture.h"

#include <string>
#include <utility>
#include <vector>

TEST_F(WindowGallery, TheWorkspaceWindowInEditModeShowModeAndPlaying) {
    openWindowOfTwoCarts();
    fillShow();
    PondraWindow& window = *controller->window();
    window.resize(960, 760);
    QApplication::processEvents();
    grid().gridView()->setSelectedIndex(5);
    saveToGallery(window, QStringLiteral("window-edit"));

    controller->setShowMode();
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-show"));

    cart().cueAtIndex(0)->triggerDown();
    cell(4).pressCue();
    // 1.2 s of sound, then the cues' progress timers.
    render(900);
    scheduler.advance(0.1);
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-playing"));
    cell(4).releaseCue();

    controller->setEditMode();
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-edit-playing"));
    EXPECT_TRUE(cart().cueAtIndex(0)->isPlaying());
}

TEST_F(WindowGallery, CuesNamedAtGreatLengthShowTheirNamesStartAndEnd) {
    openWindow();
    const std::string file = wav("a.wav", 0.1f);
    const std::string middle(1 << 20, 'x');
    const std::vector<std::pair<std::size_t, std::string>> names{
        {0, "Overture " + middle + " final chord"},
        {1, "\xC3\x89"
            "clair " +
                std::string(1 << 19, 'y') + " fin"},
        {5, "Thunder"}};
    for (const auto& [slot, name] : names) {
        auto cue = AudioCue::initWithFile(file, device);
        cue->setName(name);
        cue->setColor(PondraColor::colorWithName(slot == 0 ? "blue" : "green"));
        grid().addCue(cue, slot);
    }
    PondraWindow& window = *controller->window();
    window.resize(960, 700);
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-long-names"));
}

TEST_F(WindowGallery, TheTabBarWithThreeCartsAndWithTwelveOverflowing) {
    for (int carts : {3, 12}) {
        const std::vector<const char*> names = {
            "Preshow",         "Act One",        "Interval",     "Act Two",
            "Curtain Calls",   "Walk-out Music", "Sound Check",  "Rehearsal Effects",
            "Understudy Cues", "Matinee Extras", "Spare Stings", "Archive"};
        PondraWindow& window = showCarts({names.begin(), names.begin() + carts});
        saveToGallery(window, QStringLiteral("window-tabs-%1").arg(carts));
    }
}
