#pragma once

#include <QString>

#include <functional>

class QWidget;

// What the workspace window needs of its row of cart tabs (CartTabBar). Indexes count from 0 in tab
// order. GUI thread.
class CartTabs {
public:
    virtual ~CartTabs() = default;
    // Appends a tab showing `page`, which the tabs take over.
    virtual void addTab(QWidget* page, const QString& label) = 0;
    virtual int count() const = 0;
    // -1 without tabs.
    virtual int currentIndex() const = 0;
    virtual void setCurrentIndex(int index) = 0;
    virtual void setTabLabel(int index, const QString& label) = 0;
    // How many of the tab's cues sound (play or fade out), shown on the tab
    // in the playing colour while above 0.
    virtual void setTabPlayingCount(int index, int playing) = 0;
    // The page the tab shows; null for an index out of range.
    virtual QWidget* page(int index) const = 0;
    // Takes the tab away; its page stays with the tabs, hidden, until it is
    // added again or the tabs go.
    virtual void removeTab(int index) = 0;
    // The tab at `from` moves to `to`, counted after it has left its place.
    virtual void moveTab(int from, int to) = 0;
    // Told after the selected tab has changed.
    virtual void setSelectionChanged(std::function<void(int)> changed) = 0;
};
