#pragma once

#include "tabbar/TavProgressIndicator.h"
#include "tabbar/TavTabStyle.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <optional>

class KivTabViewItem;
class QPainter;
class TavTabBarControl;

// One tab of a bar: the item it shows, its frame in the bar, its selection
// state and tab state bits (set by the layout), its close-button flags, and
// the count and indicator that its item may show. The bar owns its cells;
// sizes and drawing come from the bar's style. GUI thread only.
class TavTabBarCell {
public:
    // Tab state bits.
    static constexpr int kSelected = 2;
    static constexpr int kLeftSelected = 4;
    static constexpr int kRightSelected = 8;
    static constexpr int kFirstVisible = 16;
    static constexpr int kWasSelected = 32;
    static constexpr int kLastVisible = 64;
    static constexpr int kOnlyVisible = 208;

    explicit TavTabBarCell(TavTabBarControl& bar);
    // A gap that opens under a dragged tab: collapsed (width 0, step 0, or
    // height 0 in a vertical bar) or expanded (the frame given, step 7).
    TavTabBarCell(const QRectF& frame, bool expanded, TavTabBarControl& bar);
    ~TavTabBarCell();
    TavTabBarCell(const TavTabBarCell&) = delete;
    TavTabBarCell& operator=(const TavTabBarCell&) = delete;

    TavTabBarControl& controlView() const { return _bar; }
    // Null for a placeholder, and once its item has left the tab view.
    KivTabViewItem* representedObject() const { return _item; }
    void setRepresentedObject(KivTabViewItem* item) { _item = item; }

    const QRectF& frame() const { return _frame; }
    // Moves a showing indicator along.
    void setFrame(const QRectF& frame);
    qreal width() const { return _frame.width(); }

    const QString& stringValue() const { return _title; }
    // Measures the styled title and asks the bar to lay out again.
    void setStringValue(const QString& title);
    const QSizeF& stringSize() const { return _stringSize; }
    TavStyledText attributedStringValue() const;

    // 1 for the selected tab, else 0.
    int state() const { return _state; }
    void setState(int state) { _state = state; }
    int tabState() const { return _tabState; }
    void setTabState(int tabState) { _tabState = tabState; }
    // The mouse is over the tab.
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted) { _highlighted = highlighted; }

    // The mouse is over the close button, and the button would act: the bar
    // allows closing background tabs, or the tab is selected, or Ctrl is held.
    bool closeButtonOver() const;
    void setCloseButtonOver(bool over) { _closeButtonOver = over; }
    bool closeButtonPressed() const { return _closeButtonPressed; }
    void setCloseButtonPressed(bool pressed) { _closeButtonPressed = pressed; }
    bool hasCloseButton() const { return _hasCloseButton; }
    void setHasCloseButton(bool has) { _hasCloseButton = has; }
    bool isCloseButtonSuppressed() const { return _closeButtonSuppressed; }
    void setCloseButtonSuppressed(bool suppressed) { _closeButtonSuppressed = suppressed; }
    // Highlight and close-button hover follow the mouse; none when it is off
    // the bar.
    void trackMouse(const std::optional<QPointF>& mouse);

    bool hasIcon() const { return _hasIcon; }
    void setHasIcon(bool has) { _hasIcon = has; }
    bool hasLargeImage() const { return _hasLargeImage; }
    void setHasLargeImage(bool has) { _hasLargeImage = has; }
    int count() const { return _count; }
    void setCount(int count) { _count = count; }
    // Invalid: the style's own colour.
    const QColor& countColor() const { return _countColor; }
    void setCountColor(const QColor& color) { _countColor = color; }
    bool isEdited() const { return _edited; }
    void setIsEdited(bool edited) { _edited = edited; }

    bool isPlaceholder() const { return _placeholder; }
    void setIsPlaceholder(bool placeholder) { _placeholder = placeholder; }
    int currentStep() const { return _currentStep; }
    // Kept in 0 ... 7.
    void setCurrentStep(int step);

    bool isInOverflowMenu() const { return _inOverflowMenu; }
    // Tells the bar's delegate when it changes.
    void setIsInOverflowMenu(bool inOverflowMenu);

    // Null for a placeholder.
    TavProgressIndicator* indicator() const { return _indicator; }
    // The indicator is neither hidden nor withdrawn.
    bool isIndicatorShowing() const;

    // Where the indicator goes in the cell's frame.
    QRectF indicatorRect() const;
    QRectF closeButtonRectForFrame(const QRectF& frame) const;
    // The style's narrowest and preferred widths of this cell.
    qreal minimumWidthOfCell() const;
    qreal desiredWidthOfCell() const;

    // A placeholder is a shadow over its frame; a tab is the style's.
    void drawWithFrame(QPainter& painter);
    // The tab as the bar shows it now, over the style's drag rectangle.
    QImage dragImage() const;

private:
    TavTabBarControl& _bar;
    KivTabViewItem* _item = nullptr;
    QRectF _frame;
    QString _title;
    QSizeF _stringSize;
    int _currentStep = 0;
    bool _placeholder = false;
    int _state = 0;
    int _tabState = 0;
    bool _highlighted = false;
    bool _closeButtonOver = false;
    bool _closeButtonPressed = false;
    QPointer<TavProgressIndicator> _indicator;
    bool _inOverflowMenu = false;
    bool _hasCloseButton = true;
    bool _closeButtonSuppressed = false;
    bool _hasIcon = false;
    bool _hasLargeImage = false;
    int _count = 0;
    QColor _countColor;
    bool _edited = false;
};
