#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"
#include "platform/audiofile/AudioFixtures.h"

#include <fstream>

// Edits that must do what the user did: a paste, a start moved, a
// right-click, a drop with a bad file, the inspector toggled, a reopened
// show's settings, a warning picked after the tabs moved, a tab dropped on
// another window, a quit called off.
class Editing : public EndToEnd {
protected:
    // Periods from `from` to the end of the recording in which tone n sounds.
    static std::size_t periodsOf(const std::vector<float>& heard, int n, std::size_t from) {
        return Tones::periodsSounding(heard, Tones::frequency(n), kSounding, from / Tones::kPeriod,
                                      heard.size() / Tones::kPeriod);
    }

    // Through JACK in show mode, recording, key 1 pressed: the frame of the press.
    std::size_t pressOneInShowMode(const TopLevel& window) {
        chooseJackOutput(window);
        showMode(window);
        record();
        const std::size_t pressed = recordedFrames();
        x->key('1');
        return pressed;
    }

    // Whole periods in so many seconds.
    static constexpr std::size_t periods(double seconds) {
        return static_cast<std::size_t>(seconds * Tones::kRate / Tones::kPeriod);
    }

    static constexpr double kSounding = 0.05;
};

TEST_F(Editing, ACueCopiedAndPastedIntoANewCartPlays) {
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({tone("rain.wav", 0, 8)}, map.cellCentre(0));
    selectCell(map, 0);
    x->key('c', Control);
    // A new cart of its own, shown: keys reach its cues only.
    x->key('t', Control);
    x->settle(300ms);
    x->key('v', Control);
    x->settle(300ms);
    const std::size_t pressed = pressOneInShowMode(window);
    const std::vector<float> heard = recordFor(1.0);
    EXPECT_GT(periodsOf(heard, 0, pressed), 100u) << "the pasted cue is silent";
}

TEST_F(Editing, AShowSavedWithATwoSecondPanicReopensCleanWithNothingToUndo) {
    const TopLevel first = launch();
    const WindowMap map(first.frame);
    dropFiles({tone("rain.wav", 0, 2)}, map.cellCentre(0));
    const std::string package = path("Fade.pondra");
    saveAs(first, package);
    ASSERT_TRUE(quit(first));
    // The show's panic fades over two seconds.
    nlohmann::json document = readDocument(package);
    document["settings"]["General Settings"]["panicDuration"] = 2.0;
    std::ofstream(package + "/document") << document.dump();

    ASSERT_TRUE(launch({package}).id);
    const auto window = waitForTitle(QStringLiteral("Fade"), 2s);
    ASSERT_TRUE(window) << "edited at opening: " << workspaceWindows().front().title.toStdString();
    x->focus(*window);
    x->key('z', Control);
    x->settle(300ms);
    EXPECT_TRUE(waitForTitle(QStringLiteral("Fade"), 1s)) << "Ctrl+Z changed the show";
    const std::string again = path("Again.pondra");
    saveAs(*window, again);
    EXPECT_DOUBLE_EQ(
        readDocument(again)["settings"]["General Settings"].value("panicDuration", 0.0), 2.0);
    const auto exit = quit(*window);
    ASSERT_TRUE(exit) << "Quit asked to save";
    EXPECT_EQ(exit->code, 0);
}

TEST_F(Editing, AWarningPickedAfterTheTabsMovedShowsItsCuesOwnCart) {
    const TopLevel window = launch();
    const WindowMap single(window.frame);
    dropFiles({tone("first.wav", 0, 8)}, single.cellCentre(0));
    x->focus(window);
    x->key('t', Control);
    x->settle(300ms);
    // The tab row shows from the second cart on.
    const WindowMap map(window.frame, true);
    dropFiles({tone("second.wav", 1, 8), tone("third.wav", 2, 8)}, map.cellCentre(0));
    // Both cues of the second cart on key 1: a warning.
    setHotKey(map, 1, '1');
    // The second cart's tab dragged to the front, then the first cart shown.
    x->drag(map.tab(1), map.tab(0) - QPoint(WindowMap::kTabWidth / 2 - 4, 0));
    x->click(map.tab(1));

    x->click(map.warningButton());
    x->settle(500ms);
    // The first row of the warnings list, picked with the keyboard.
    x->key(Keys::Down);
    x->settle(300ms);
    const std::size_t pressed = pressOneInShowMode(window);
    const std::vector<float> heard = recordFor(1.0);
    EXPECT_GT(periodsOf(heard, 1, pressed), 100u) << "the warning's cart is not the one shown";
    EXPECT_EQ(periodsOf(heard, 0, pressed), 0u) << "the other cart is shown";
}

TEST_F(Editing, ATabDraggedOntoAWindowOfOneCartLandsThere) {
    const TopLevel opened = launch();
    x->focus(opened);
    x->key('t', Control);
    x->key('n', Control);
    const auto second = x->waitForWindow(
        [&](const TopLevel& w) { return w.id != opened.id && w.title.startsWith("Untitled"); },
        10s);
    ASSERT_TRUE(second) << "no second window";
    x->settle(500ms);
    // Apart, the second in front of the first's lower right.
    const TopLevel source = x->move(opened, {0, 0});
    const TopLevel target = x->move(*second, {320, 324});
    const WindowMap from(source.frame, true);
    const WindowMap to(target.frame);

    x->drag(from.tab(1), to.tab(0) + QPoint(40, 0));
    x->settle(500ms);
    EXPECT_EQ(workspaceWindows().size(), 2u) << "the tab tore off into a window of its own";
    const std::string package = path("Taken.pondra");
    saveAs(target, package);
    const nlohmann::json document = readDocument(package);
    const nlohmann::json& list = cartsOf(document);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.at(1).value("name", ""), "Cart 2");
}

TEST_F(Editing, AStoppedCuesStartMovedEarlierPlaysFromTheNewStart) {
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({tone("six.wav", 0, 6)}, map.cellCentre(0));
    selectCell(map, 0);
    editText(map.startField(), "00:05.000");
    editText(map.startField(), "00:02.000");
    selectCell(map, 0);
    const std::size_t pressed = pressOneInShowMode(window);
    const std::vector<float> heard = recordFor(4.5);
    // Four seconds from 2 s to the end of the file; from 5 s it would be one.
    EXPECT_GT(periodsOf(heard, 0, pressed), periods(3.0))
        << "the cue started where its old start was";
}

TEST_F(Editing, ARightClickKeepsTheSelectedCueOrSelectsTheCellItLandsOn) {
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({tone("rain.wav", 0, 2), tone("door.wav", 1, 2)}, map.cellCentre(0));
    selectCell(map, 0);
    x->click(map.cellName(0), NoModifier, 3);
    x->settle(300ms);
    x->key(Keys::Escape);
    editText(map.nameField(), "Kept");
    x->click(map.cellName(1), NoModifier, 3);
    x->settle(300ms);
    x->key(Keys::Escape);
    editText(map.nameField(), "Chosen");

    const std::string package = path("Named.pondra");
    saveAs(window, package);
    const auto cues = cuesOf(readDocument(package));
    ASSERT_EQ(cues.size(), 2u);
    EXPECT_EQ(cues.at(0).value("name", ""), "Kept") << "the right-click emptied the inspector";
    EXPECT_EQ(cues.at(1).value("name", ""), "Chosen") << "the right-clicked cell is not selected";
}

TEST_F(Editing, ADropImportsUpToTheFirstUnreadableFileWhichOneAlertNames) {
    const std::string corrupt = path("broken.wav");
    AudioFixtures::writeBytes(corrupt, std::string("RIFF\x10\0\0\0WAVEjunkjunkjunkjunk", 28));
    const TopLevel window = launch();
    const WindowMap map(window.frame);

    dropFiles({tone("rain.wav", 0, 2), corrupt, tone("door.wav", 1, 2)}, map.cellCentre(0));
    const auto alert = waitForOtherWindow();
    ASSERT_TRUE(alert) << "no alert";
    EXPECT_EQ(otherWindows().size(), 1u);
    ASSERT_TRUE(answer(*alert, Keys::Return));
    x->settle(500ms);

    const std::string package = path("Dropped.pondra");
    saveAs(window, package);
    const auto cues = cuesOf(readDocument(package));
    ASSERT_EQ(cues.size(), 1u) << "not the files before the unreadable one alone";
    EXPECT_EQ(cues.begin()->second.value("name", ""), "rain");
}

TEST_F(Editing, ToggleInspectorBringsTheCueInspectorBackOnceTheWarningsAreGone) {
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({tone("rain.wav", 0, 2), tone("door.wav", 1, 2)}, map.cellCentre(0));
    // Both cues on key 1, and the warnings list in the inspector's place.
    setHotKey(map, 1, '1');
    x->click(map.warningButton());
    x->settle(500ms);
    // The clash undone: no warning is left, and the list's button goes.
    x->focus(window);
    x->key('z', Control);
    x->settle(500ms);
    x->key('i', Control);
    x->settle(300ms);
    selectCell(map, 1);
    editText(map.nameField(), "Back");

    const std::string package = path("Back.pondra");
    saveAs(window, package);
    const auto cues = cuesOf(readDocument(package));
    ASSERT_EQ(cues.count(1), 1u);
    EXPECT_EQ(cues.at(1).value("name", ""), "Back") << "the cue inspector never came back";
}

TEST_F(Editing, AQuitCalledOffAtTheSaveQuestionLeavesTheShowPlaying) {
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({tone("rain.wav", 0, 30)}, map.cellCentre(0));
    pressOneInShowMode(window);
    recordFor(0.5);

    measure([&] {
        // Ctrl+Q asks about the unsaved show; the show plays on while it asks.
        x->focus(window);
        x->key('q', Control);
        const auto question = waitForOtherWindow();
        ASSERT_TRUE(question) << "no save question";
        const std::size_t asked = recordedFrames();
        ASSERT_TRUE(answer(*question, Keys::Escape));
        const std::vector<float> heard = recordFor(1.0);
        EXPECT_GT(periodsOf(heard, 0, asked), periods(1.0))
            << "the quit stopped the show before it was certain";
    });
    EXPECT_TRUE(program->running());
}

TEST_F(Editing, AfterRevertToSavedTheWindowKeepsItsPlaceAndItsTabsStillDrag) {
    const TopLevel opened = launch();
    x->focus(opened);
    x->key('t', Control);
    x->settle(300ms);
    saveAs(opened, path("Tabs.pondra"));
    const TopLevel moved = x->move(opened, {120, 60});

    // File > Revert to Saved, and Revert in its question.
    x->focus(moved);
    x->key('f', Alt);
    x->settle(300ms);
    x->key('r');
    const auto question = waitForOtherWindow();
    ASSERT_TRUE(question) << "no question";
    ASSERT_TRUE(answer(*question, Keys::Return));
    const auto reverted = x->waitForWindow(
        [&](const TopLevel& w) { return w.id != moved.id && w.title.startsWith("Tabs"); }, 10s);
    ASSERT_TRUE(reverted) << "no reverted window";
    // A new window: drawn and answering before it is dragged in.
    x->focus(*reverted);
    x->settle(1500ms);
    EXPECT_EQ(reverted->frame, moved.frame) << "the reverted window left its place";

    // The second tab dragged to the front: the show is edited.
    const WindowMap map(reverted->frame, true);
    x->drag(map.tab(1), map.tab(0) - QPoint(WindowMap::kTabWidth / 2 - 4, 0));
    EXPECT_TRUE(waitForTitle(QStringLiteral("Tabs*"), 3s)) << "the tab did not move";
}
