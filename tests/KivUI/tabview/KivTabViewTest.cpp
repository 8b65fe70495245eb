// A tab view shows one item's view at a time and tells its delegate.
#include "KivUI/tabview/KivTabView.h"

#include "KivUI/tabview/KivTabViewDelegate.h"
#include "KivUI/tabview/KivTabViewItem.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <string>
#include <vector>

namespace {

class Recorder : public KivTabViewDelegate {
public:
    bool tabViewShouldSelectTabViewItem(KivTabView&, KivTabViewItem& item) override {
        return item.label() != refused;
    }
    void tabViewDidSelectTabViewItem(KivTabView&, KivTabViewItem* item) override {
        events.push_back(item ? "select " + item->label().toStdString() : "select none");
    }
    void tabViewDidChangeNumberOfTabViewItems(KivTabView& tabView) override {
        events.push_back("count " + std::to_string(tabView.numberOfTabViewItems()));
    }
    void tabViewItemLabelDidChange(KivTabView&, KivTabViewItem& item) override {
        events.push_back("label " + item.label().toStdString());
    }
    std::vector<std::string> events;
    QString refused;
};

using Events = std::vector<std::string>;

} // namespace

TEST(KivTabView, TheFirstItemIsSelectedAndRemovingTheSelectedOneSelectsItsNeighbour) {
    KivTabView tabView;
    Recorder delegate;
    tabView.setDelegate(&delegate);
    for (const char* label : {"One", "Two", "Three"}) {
        tabView.addTabViewItem(
            std::make_unique<KivTabViewItem>(QVariant(), QString::fromLatin1(label), new QWidget));
    }
    EXPECT_EQ(delegate.events, (Events{"select One", "count 1", "count 2", "count 3"}));
    EXPECT_EQ(tabView.tabViewItemAtIndex(-1), nullptr);
    EXPECT_EQ(tabView.tabViewItemAtIndex(3), nullptr);

    delegate.events.clear();
    delegate.refused = QStringLiteral("Two");
    tabView.selectTabViewItemAtIndex(1);
    tabView.selectTabViewItemAtIndex(2);
    EXPECT_EQ(delegate.events, (Events{"select Three"}));

    // The last item goes: the one before it takes the selection, and the
    // view comes back to the caller.
    delegate.events.clear();
    QWidget* shown = tabView.tabViewItemAtIndex(2)->view();
    std::unique_ptr<QWidget> view = tabView.removeTabViewItem(*tabView.tabViewItemAtIndex(2));
    EXPECT_EQ(view.get(), shown);
    EXPECT_EQ(view->parent(), nullptr);
    EXPECT_EQ(tabView.selectedTabViewItem(), tabView.tabViewItemAtIndex(1));
    EXPECT_EQ(delegate.events, (Events{"select Two", "count 2"}));

    tabView.tabViewItemAtIndex(0)->setLabel(QStringLiteral("First"));
    tabView.removeTabViewItem(*tabView.tabViewItemAtIndex(1));
    tabView.removeTabViewItem(*tabView.tabViewItemAtIndex(0));
    EXPECT_EQ(tabView.selectedTabViewItem(), nullptr);
    EXPECT_EQ(tabView.indexOfTabViewItem(nullptr), -1);
    EXPECT_EQ(delegate.events, (Events{"select Two", "count 2", "label First", "select First",
                                       "count 1", "select none", "count 0"}));
}
