#include "KivUI/outline/KivOutlineSelection.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Entry = KivOutlineSelection::Entry;
using Items = std::vector<KivOutlineItem>;

// Five rows at the top level, rows 0 to 4.
class OutlineSelectionTest : public ::testing::Test {
protected:
    OutlineSelectionTest() {
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto entry = std::make_shared<KivOutlineViewEntry>(
                &names[i], std::vector<KivOutlineViewEntry*>{}, static_cast<int>(i), false);
            entry->setIndex(static_cast<int>(i));
            rows.push_back(std::move(entry));
        }
    }

    KivOutlineItem item(std::size_t row) const { return &names[row]; }

    std::array<int, 5> names{};
    std::vector<Entry> rows;
    KivOutlineSelection selection;
};

} // namespace

TEST_F(OutlineSelectionTest, DeselectingTheLastPickedFallsBackToTheLatestStillSelected) {
    selection.setAllowsMultiple(true);
    selection.select({rows[1]}, false, false, rows);
    selection.select({rows[3]}, true, false, rows);
    selection.select({rows[4]}, true, false, rows);
    selection.deselect(rows[4]);
    EXPECT_FALSE(rows[4]->selected());
    EXPECT_EQ(selection.last(), rows[3]);
    // The anchor moved with it: a range now runs from row 3.
    selection.select({rows[0]}, true, true, rows);
    EXPECT_EQ(selection.items(), (Items{item(0), item(1), item(2), item(3)}));
    EXPECT_EQ(selection.last(), rows[0]);

    selection.deselectAll();
    EXPECT_TRUE(selection.entries().empty());
    EXPECT_FALSE(rows[0]->selected());
}

TEST_F(OutlineSelectionTest, EveryRowLeavesNoLastPickedAndARestoredSingleSelectionKeepsTheLast) {
    selection.setAllowsMultiple(true);
    selection.select(rows, true, false, rows);
    EXPECT_EQ(selection.entries().size(), rows.size());
    EXPECT_EQ(selection.last(), nullptr);

    selection.deselectAll();
    selection.setAllowsMultiple(false);
    selection.restore({rows[1], rows[2]});
    EXPECT_EQ(selection.items(), Items{item(2)});
    EXPECT_FALSE(rows[1]->selected());
    EXPECT_EQ(selection.last(), rows[2]);
    // Extending a single selection picks only the new row.
    selection.select({rows[4]}, true, true, rows);
    EXPECT_EQ(selection.items(), Items{item(4)});
}
