#include "e2e/support/EndToEnd.h"
#include "e2e/support/Tones.h"

#include <fstream>

// Edits that must do what the user did: a paste, a reopened show's settings,
// a warning picked after the tabs moved, a tab dropped on another window.
class Editing : public EndToEnd {
protected:
    // Periods from `from` to the end of the recording in which tone n sounds.
    static std::size_t periodsOf(const std::vector<float>& heard, int n, std::size_t from) {
        return Tones::periodsSounding(heard, Tones::frequency(n), kSounding, from / Tones::kPeriod,
                                      heard.size() / Tones::kPeriod);
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
    chooseJackOutput(window);
    showMode(window);
    record();

    const std::size_t pressed = recordedFrames();
    x->key('1');
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
    chooseJackOutput(window);
    showMode(window);
    record();
    const std::size_t pressed = recordedFrames();
    x->key('1');
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
    const auto& carts = document.at("carts");
    const auto& list = carts.is_object() && carts.contains("$array") ? carts["$array"] : carts;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.at(1).value("name", ""), "Cart 2");
}
