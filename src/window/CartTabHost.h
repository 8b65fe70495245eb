#pragma once

#include "window/CartTabs.h"

#include <QWidget>

class QStackedWidget;
class QTabBar;

// The cart tabs as a plain tab bar over a stack of pages. The bar hides
// itself while there is a single tab.
class CartTabHost final : public QWidget, public CartTabs {
public:
    explicit CartTabHost(QWidget* parent = nullptr);

    void addTab(QWidget* page, const QString& label) override;
    int count() const override;
    int currentIndex() const override;
    void setCurrentIndex(int index) override;
    void setTabLabel(int index, const QString& label) override;
    QWidget* page(int index) const override;
    void removeTab(int index) override;
    void moveTab(int from, int to) override;
    void setSelectionChanged(std::function<void(int)> changed) override;

    QTabBar* tabBar() const { return _bar; }
    QWidget* currentPage() const;

private:
    QTabBar* _bar;
    QStackedWidget* _pages;
    std::function<void(int)> _changed;
};
