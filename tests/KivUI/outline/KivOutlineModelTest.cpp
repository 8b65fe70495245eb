#include "KivUI/OutlineTree.h"
#include "KivUI/outline/KivOutlineView.h"
#include "foundation/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {

// Drums{Kick, Snare}, Voices{Lead, Choir{Alto}}, Click
class OutlineModelTest : public ::testing::Test {
protected:
    OutlineModelTest() {
        drums = tree.root.add("Drums", true);
        kick = drums->add("Kick");
        snare = drums->add("Snare");
        voices = tree.root.add("Voices", true);
        lead = voices->add("Lead");
        choir = voices->add("Choir", true);
        alto = choir->add("Alto");
        click = tree.root.add("Click");
    }

    std::vector<int> indices(std::initializer_list<const OutlineNode*> nodes) const {
        std::vector<int> result;
        for (const OutlineNode* n : nodes) {
            result.push_back(view.entryForItem(n)->index());
        }
        return result;
    }

    OutlineTree tree;
    OutlineNode *drums, *kick, *snare, *voices, *lead, *choir, *alto, *click;
    KivOutlineView view;
};

} // namespace

TEST_F(OutlineModelTest, CollapsedParentsGiveMinusOneAndExpandingRenumbersTheRowsBelow) {
    view.setDataSource(&tree);
    ASSERT_EQ(view.numberOfRows(), 3);
    EXPECT_EQ(indices({drums, kick, snare, voices, lead, choir, alto, click}),
              (std::vector<int>{0, -1, -1, 1, -1, -1, -1, 2}));
    EXPECT_EQ(view.entryForVisibleItem(kick), nullptr);
    EXPECT_NE(view.entryForItem(kick), nullptr);

    view.expandItem(drums);
    EXPECT_EQ(indices({drums, kick, snare, voices, click}), (std::vector<int>{0, 1, 2, 3, 4}));
    view.expandItem(voices, true);
    EXPECT_EQ(indices({voices, lead, choir, alto, click}), (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(tree.told,
              (std::vector<std::string>{"expand Drums", "expand Voices", "expand Choir"}));

    // A collapsed ancestor hides a still-expanded descendant.
    view.collapseItem(voices);
    EXPECT_TRUE(view.entryForItem(choir)->expanded());
    EXPECT_EQ(indices({voices, lead, choir, alto, click}), (std::vector<int>{3, -1, -1, -1, 4}));
    EXPECT_EQ(view.numberOfRows(), 5);

    EXPECT_EQ(view.entryForIndex(-1), nullptr);
    EXPECT_EQ(view.entryForIndex(view.numberOfRows()), nullptr);
    EXPECT_EQ(view.itemForIndex(4), click);
    EXPECT_EQ(view.indexOfItem(alto), -1);

    view.expandUntilItemIsVisible(alto);
    EXPECT_EQ(view.indexOfItem(alto), 6);
}

TEST_F(OutlineModelTest, EntriesKnowTheirLineageAndEqualOnlyInRowAndItem) {
    view.setDataSource(&tree);
    view.expandItem(voices, true);
    const auto entry = view.entryForItem(alto);
    ASSERT_EQ(entry->parents().size(), 2U);
    EXPECT_EQ(entry->parents()[0]->item(), voices);
    EXPECT_EQ(entry->parent()->item(), choir);
    EXPECT_TRUE(entry->lastChildOfParent());
    EXPECT_FALSE(view.entryForItem(lead)->lastChildOfParent());
    EXPECT_EQ(view.entryForItem(click)->children(), nullptr);
    EXPECT_TRUE(view.itemIsLastChildOfAncestor(alto, voices));
    EXPECT_FALSE(view.itemIsLastChildOfAncestor(lead, voices));

    KivOutlineViewEntry same(alto, {}, 0, true);
    same.setIndex(entry->index());
    EXPECT_TRUE(same == *entry);
    same.setIndex(entry->index() + 1);
    EXPECT_FALSE(same == *entry);
    KivOutlineViewEntry other(lead, {}, 0, true);
    other.setIndex(entry->index());
    EXPECT_FALSE(other == *entry);
}

TEST_F(OutlineModelTest, EqualButDistinctItemsGetSeparateRowsAndSeparateExpansion) {
    OutlineNode* twin = tree.root.add("Drums", true);
    twin->add("Kick");
    view.setDataSource(&tree);
    ASSERT_EQ(view.numberOfRows(), 4);
    EXPECT_NE(view.entryForItem(drums), view.entryForItem(twin));
    view.expandItem(twin);
    EXPECT_FALSE(view.entryForItem(drums)->expanded());
    EXPECT_EQ(view.numberOfRows(), 5);
    EXPECT_EQ(view.itemForIndex(4), twin->children[0].get());
    view.reloadData();
    EXPECT_FALSE(view.entryForItem(drums)->expanded());
    EXPECT_TRUE(view.entryForItem(twin)->expanded());
}

TEST_F(OutlineModelTest, ReloadKeepsExpansionAndSelectionByIdentityAndTellsOnlyAChange) {
    view.setAllowsMultipleSelection(true);
    view.setDataSource(&tree);
    int posted = 0;
    const Connection observation = NotificationCenter::defaultCenter().addObserver(
        kKivOutlineViewSelectionDidChangeNotification, &view,
        [&](const Notification&) { ++posted; });

    view.expandItem(voices);
    view.selectItem(lead);
    view.selectItems({click});
    EXPECT_EQ(posted, 2);
    voices->add("Strings");
    view.reloadData();
    EXPECT_TRUE(view.entryForItem(voices)->expanded());
    EXPECT_EQ(view.indexOfItem(click), 5);
    EXPECT_EQ(view.allSelectedItems(), (std::vector<KivOutlineItem>{lead, click}));
    EXPECT_EQ(view.selectedItem(), click);
    EXPECT_EQ(posted, 2);

    // The last-selected item gone, the selection moves and the change is told.
    tree.root.children.pop_back();
    view.reloadData();
    EXPECT_EQ(view.allSelectedItems(), (std::vector<KivOutlineItem>{lead}));
    EXPECT_EQ(view.selectedItem(), lead);
    EXPECT_EQ(posted, 3);

    // Resynchronising asks the data source again.
    tree.startExpanded = {drums};
    view.reloadDataAndResyncExpandedState();
    EXPECT_TRUE(view.entryForItem(drums)->expanded());
    EXPECT_FALSE(view.entryForItem(voices)->expanded());
    EXPECT_EQ(view.selectedItem(), nullptr);
    EXPECT_EQ(posted, 4);
}

TEST_F(OutlineModelTest, SelectedItemsComeInRowOrderAndHiddenOnesInTheOrderPicked) {
    OutlineNode* bank = tree.root.add("Bank", true);
    std::vector<KivOutlineItem> picked;
    for (int i = 0; i < 64; ++i) {
        picked.push_back(bank->add("Sample " + std::to_string(i)));
    }
    std::reverse(picked.begin(), picked.end());
    view.setAllowsMultipleSelection(true);
    view.setDataSource(&tree);
    view.expandItem(bank);
    for (KivOutlineItem item : picked) {
        view.selectItems({item});
    }
    view.selectItems({click});
    std::vector<KivOutlineItem> inRows = picked;
    std::reverse(inRows.begin(), inRows.end());
    inRows.insert(inRows.begin(), click);
    EXPECT_EQ(view.allSelectedItems(), inRows);

    // Collapsed, every sample has row -1: only a stable sort keeps their order.
    view.collapseItem(bank);
    std::vector<KivOutlineItem> hidden = picked;
    hidden.push_back(click);
    EXPECT_EQ(view.allSelectedItems(), hidden);
}
