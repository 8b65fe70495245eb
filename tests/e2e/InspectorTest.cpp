#include "e2e/support/EndToEnd.h"

using Inspector = EndToEnd;

TEST_F(Inspector, EveryFieldEditedByMouseAndKeysIsWhatTheSavedCueHolds) {
    const std::string file = tone("one.wav", 0, 3);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({file}, map.cellCentre(0));
    selectCell(map, 0);

    editText(map.nameField(), "Thunder");
    editText(map.startField(), "00:00.500");
    editText(map.endField(), "00:02.000");
    x->click(map.colourSwatch(1));
    x->click(map.volume(0.5));
    x->click(map.loopCheckBox());
    setHotKey(map, 0, 'k');

    const std::string package = path("Edited.pondra");
    saveAs(window, package);
    const auto cues = cuesOf(readDocument(package));
    ASSERT_EQ(cues.count(0), 1u);
    const nlohmann::json& cue = cues.at(0);
    EXPECT_EQ(cue.value("name", ""), "Thunder");
    EXPECT_EQ(cue.value("hotkey", ""), "K");
    EXPECT_DOUBLE_EQ(cue.value("startTime", 0.0), 0.5);
    EXPECT_DOUBLE_EQ(cue.value("endTime", 0.0), 2.0);
    EXPECT_NEAR(cue.value("volume", 0.0), 0.5, 0.05);
    EXPECT_TRUE(cue.value("loops", false));
    EXPECT_NE(cue.at("color").dump().find("red"), std::string::npos) << cue.at("color").dump();
}
