#pragma once

#include "KivUI/WidgetRender.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "tabbar/TavOverflowPopUpButton.h"
#include "tabbar/TavRolloverButton.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabBarController.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QVBoxLayout>

#include <memory>
#include <string>
#include <vector>

// A delegate that writes down what it is told.
class RecordingTabBarDelegate : public TavTabBarControlDelegate {
public:
    void tabViewDidSelectTabViewItem(KivTabView&, KivTabViewItem* item) override {
        events.push_back(item ? "select " + item->label().toStdString()
                              : std::string("select none"));
    }
    bool tabViewShouldCloseTabViewItem(KivTabView&, KivTabViewItem& item) override {
        events.push_back("should close " + item.label().toStdString());
        return allowClose;
    }
    void tabViewDidCloseTabViewItem(KivTabView&, KivTabViewItem& item) override {
        events.push_back("closed " + item.label().toStdString());
    }
    void tabViewDidChangeNumberOfTabViewItems(KivTabView& tabView) override {
        events.push_back("count " + std::to_string(tabView.numberOfTabViewItems()));
    }
    void tabViewTabBarDidHide(KivTabView&, TavTabBarControl&) override { ++hidden; }

    std::vector<std::string> events;
    bool allowClose = true;
    int hidden = 0;
};

// A bar over a tab view in a window of its own; the main loop is the test's,
// so animations move only when the test advances it.
class TabBarFixture : public ::testing::Test {
protected:
    // Cells get `available` points between the bar's margins.
    explicit TabBarFixture(int available = 1000) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        bar = new TavTabBarControl(&window);
        tabView = new KivTabView(&window);
        layout->addWidget(bar);
        layout->addWidget(tabView, 1);
        bar->setTabView(tabView);
        bar->setDelegate(&delegate);
        window.resize(available + 26, 200);
    }

    KivTabViewItem& addItem(const QString& label) {
        return tabView->addTabViewItem(
            std::make_unique<KivTabViewItem>(QVariant(), label, new QWidget));
    }
    void addItems(int count) {
        for (int i = 0; i < count; ++i) {
            addItem(QStringLiteral("Tab %1").arg(i + 1));
        }
    }
    TavTabBarCell& cell(std::size_t index) const { return *bar->cells().at(index); }
    std::vector<double> widths() const {
        std::vector<double> result;
        for (const auto& each : bar->cells()) {
            if (!each->isInOverflowMenu()) {
                result.push_back(each->frame().width());
            }
        }
        return result;
    }
    std::vector<int> bits() const {
        std::vector<int> result;
        for (const auto& each : bar->cells()) {
            result.push_back(each->tabState());
        }
        return result;
    }
    void show() {
        window.show();
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }
    void click(QPointF at) {
        sendMouse(*bar, QEvent::MouseButtonPress, at);
        sendMouse(*bar, QEvent::MouseButtonRelease, at);
    }
    QPointF closeButtonOf(std::size_t index) const {
        return cell(index).closeButtonRectForFrame(cell(index).frame()).center();
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    RecordingTabBarDelegate delegate;
    QWidget window;
    TavTabBarControl* bar;
    KivTabView* tabView;
};
