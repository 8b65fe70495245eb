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
    // Told after the selected tab has changed.
    virtual void setSelectionChanged(std::function<void(int)> changed) = 0;
};
