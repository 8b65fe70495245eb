// A grid of cues with each playback mark (hold, loop, solo, ducking) and
// one with all four, in edit and in show mode, the ducking cue playing,
// drawn to the gallery at 1x and 2x.
#include "KivUI/WidgetRender.h"
#include "support/Gallery.h"
#include "window/WindowGalleryFixture.h"

#include <string>
#include <vector>

TEST_F(WindowGallery, CueCellsWithEachPlaybackMarkAndAllOfThem) {
    openWindow();
    cart().setSize({5, 2});
    PondraWindow& window = *controller->window();
    window.resize(1100, 760);
    QApplication::processEvents();
    struct Marked {
        const char* name;
        const char* colour;
        bool hold;
        bool loops;
        bool solo;
        bool ducking;
    };
    const Marked marked[] = {
        {"Phone Ring", "yellow", true, false, false, false},
        {"Rain Ambience", "green", false, true, false, false},
        {"Gunshot", "red", false, false, true, false},
        {"Welcome Announcement", "lightblue", false, false, false, true},
        {"Everything", "purple", true, true, true, true},
    };
    std::vector<std::shared_ptr<AudioCue>> cues;
    for (std::size_t slot = 0; slot < std::size(marked); ++slot) {
        const Marked& m = marked[slot];
        auto cue = placeCue(wav(std::string(m.name) + ".wav", 0.1f, 4.0), slot,
                            cart().defaultHotkeyForIndex(slot));
        cue->setName(m.name);
        cue->setColor(PondraColor::colorWithName(m.colour));
        cue->setHold(m.hold);
        cue->setLoops(m.loops);
        cue->setSolo(m.solo);
        cue->setDucking(m.ducking);
        cues.push_back(cue);
    }
    cues[3]->triggerDown();
    render(900);
    scheduler.advance(0.1);
    render(2);

    for (bool show : {false, true}) {
        if (show) {
            controller->setShowMode();
        } else {
            controller->setEditMode();
        }
        QApplication::processEvents();
        saveToGallery(*grid().gridView(), show ? QStringLiteral("cells-marks-show")
                                               : QStringLiteral("cells-marks-edit"));
    }
    controller->setEditMode();
}
