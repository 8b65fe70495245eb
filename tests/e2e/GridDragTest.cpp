#include "e2e/support/EndToEnd.h"

using GridDrag = EndToEnd;

// The drop rebuilds the grid while the dragged cell's drag still runs; the
// sanitized tree runs this case too.
TEST_F(GridDrag, ACueDraggedToAnotherCellMovesAndAnAltDragCopies) {
    const std::string file = tone("one.wav", 0, 3);
    const TopLevel window = launch();
    const WindowMap map(window.frame);
    dropFiles({file}, map.cellCentre(0));

    x->drag(map.cellName(0), map.cellName(5));
    x->drag(map.cellName(5), map.cellName(10), Alt);
    ASSERT_TRUE(program->running()) << output();

    const std::string package = path("Dragged.pondra");
    saveAs(window, package);
    const auto cues = cuesOf(readDocument(package));
    // Grid cells 5 and 10 of four columns are row 1 column 1 and row 2
    // column 2: keys 6 and 12 of a cart.
    EXPECT_EQ(cues.count(0), 0u);
    ASSERT_EQ(cues.count(6), 1u);
    ASSERT_EQ(cues.count(12), 1u);
    EXPECT_EQ(cues.at(6).value("name", ""), "one");
    EXPECT_EQ(cues.at(12).value("name", ""), "one");
    EXPECT_TRUE(quit(workspaceWindows().front()));
}
