#pragma once

#include "TabBarFixture.h"
#include "foundation/NotificationCenter.h"
#include "tabbar/TavTabDragAssistant.h"

// Allows every drag and drop (outside every bar unless told not to) and
// writes down the drops.
class DraggingDelegate : public RecordingTabBarDelegate {
public:
    bool tabViewShouldDragTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl&) override {
        return true;
    }
    bool implementsShouldDropTabViewItem() const override { return true; }
    bool tabViewShouldDropTabViewItem(KivTabView&, KivTabViewItem&,
                                      TavTabBarControl* bar) override {
        return bar || dropsOutside;
    }
    void tabViewDidDropTabViewItem(KivTabView&, KivTabViewItem& item, TavTabBarControl&) override {
        events.push_back("dropped " + item.label().toStdString());
    }
    bool implementsNewTabBarForDraggedTabViewItem() const override { return true; }
    TavTabBarControl* tabViewNewTabBarForDraggedTabViewItem(KivTabView&, KivTabViewItem&,
                                                            const QPointF&) override {
        return newBar;
    }
    TavTabBarControl* newBar = nullptr;
    bool dropsOutside = true;
};

// A bar whose delegate lets its tabs go anywhere, with its own assistant and
// the drag notifications counted.
class TabDragFixture : public TabBarFixture {
protected:
    TabDragFixture()
        : TabBarFixture(560) {
        bar->setDelegate(&dragging);
        begins = NotificationCenter::defaultCenter().addObserver(
            TavTabDragAssistant::kDidBeginNotification, nullptr,
            [this](const Notification&) { ++began; });
        ends = NotificationCenter::defaultCenter().addObserver(
            TavTabDragAssistant::kDidEndNotification, nullptr,
            [this](const Notification&) { ++ended; });
    }
    std::vector<QString> labels() const {
        std::vector<QString> result;
        for (int i = 0; i < tabView->numberOfTabViewItems(); ++i) {
            result.push_back(tabView->tabViewItemAtIndex(i)->label());
        }
        return result;
    }
    std::vector<QString> cellTitles() const {
        std::vector<QString> result;
        for (const auto& each : bar->cells()) {
            result.push_back(each->stringValue());
        }
        return result;
    }

    TavTabDragAssistant assistant;
    DraggingDelegate dragging;
    Connection begins;
    Connection ends;
    int began = 0;
    int ended = 0;
};
