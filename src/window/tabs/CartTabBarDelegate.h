#pragma once

class CartTabBar;
class QWidget;

// What the cart tab bar asks and tells of its window while one of its tabs
// is dragged: reordered, dropped on another window's bar or torn off. GUI
// thread.
class CartTabBarDelegate {
public:
    virtual ~CartTabBarDelegate() = default;

    virtual bool cartTabBarShouldDragTab() const = 0;
    // Onto the bar `destination` speaks for; null: outside every window.
    virtual bool cartTabBarShouldDropTab(const CartTabBarDelegate* destination) const = 0;
    // The tab showing `page` was dropped at `index` among the tabs of the bar
    // `destination` speaks for.
    virtual void cartTabBarDidDropTab(QWidget* page, CartTabBarDelegate& destination,
                                      int index) = 0;
    // The bar of a new window that takes a torn-off tab; null when none.
    virtual CartTabBar* cartTabBarForTornOffTab() = 0;
    // A drag has left the bar without tabs.
    virtual void cartTabBarDidLoseLastTab() = 0;
};
