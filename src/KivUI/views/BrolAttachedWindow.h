#pragma once

#include "KivUI/views/BrolAttachedGeometry.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

// A frameless, translucent speech bubble holding one view, its arrow
// pointing at a point on the screen or in a window (a point in the window's
// own y-up coordinates). It places itself on a side of the point (see
// BrolAttachedGeometry), or picks the side that fits the screen, and follows
// its view's size. Where no compositor runs the window is masked to its
// bubble instead. GUI thread only.
//
// The view is borrowed: it becomes the window's child while shown and is
// taken out again, unparented, before the window goes, so its owner can show
// it again.
class BrolAttachedWindow : public QWidget {
public:
    static constexpr int kAutomaticSide = BrolAttachedGeometry::kAutomaticSide;

    // A point in `window` (y-up from its bottom left; the window becomes
    // this one's parent, so the bubble stays above it), or on the screen
    // (y-up from the primary screen's bottom left). `view` must not be null.
    BrolAttachedWindow(QWidget* view, KivPoint point, QWidget* window, int side = kAutomaticSide,
                       float distance = 0);
    BrolAttachedWindow(QWidget* view, KivPoint point, int side = kAutomaticSide,
                       float distance = 0);
    ~BrolAttachedWindow() override;

    // Moves the bubble; side 12 is kept as it is: the window then sits at
    // the point, without an arrow or room for one.
    void setPoint(KivPoint point, int side);
    KivPoint point() const { return _point; }
    int side() const { return _geometry.side; }

    QColor borderColor() const { return _borderColor; }
    void setBorderColor(const QColor& color);
    float borderWidth() const { return _borderWidth; }
    // Held to 0 .. viewMargin.
    void setBorderWidth(float width);
    float viewMargin() const { return _geometry.viewMargin; }
    // Never below 0; the corner radius and arrow width are held again.
    void setViewMargin(float margin);
    float arrowBaseWidth() const { return _geometry.arrowBaseWidth; }
    // Held to 0 .. what the view's shorter edge leaves beside the corners.
    void setArrowBaseWidth(float width);
    float arrowHeight() const { return _geometry.arrowHeight; }
    void setArrowHeight(float height);
    bool hasArrow() const { return _geometry.hasArrow; }
    void setHasArrow(bool hasArrow);
    float cornerRadius() const { return _geometry.cornerRadius; }
    // Held to 0 .. what the view's shorter edge leaves beside the arrow.
    void setCornerRadius(float radius);
    bool drawsRoundCornerBesideArrow() const { return _geometry.drawsRoundCornerBesideArrow; }
    // Off squares the corner beside an arrow placed at a corner.
    void setDrawsRoundCornerBesideArrow(bool round);
    // The bubble's fill, not the window's own (clear) background.
    QColor windowBackgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(const QColor& color);

    // Where the window and its view sit, y-up: the window on the screen,
    // the view in the window.
    KivRect windowFrame() const { return _windowFrame; }
    KivRect viewFrame() const { return _geometry.viewFrame(); }
    QWidget* view() const { return _view; }

    // The bubble as the window's background: filled, bordered, transparent
    // around it, at a device pixel ratio.
    QImage bubbleImage(qreal ratio = 1.0) const;

    // Called once when the window stops being the active window after
    // having been it.
    void setResignedKey(std::function<void()> resigned) { _resigned = std::move(resigned); }
    // Hands the keyboard back to the window it belongs to.
    void resignKey();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutWindow();
    void updateBackground();
    void redisplay();
    KivPoint pointOnScreen() const;
    KivRect visibleFrame() const;
    void resigned();

    QPointer<QWidget> _view;
    QPointer<QWidget> _window;
    KivPoint _point;
    BrolAttachedGeometry _geometry;
    KivRect _windowFrame;
    QColor _borderColor = Qt::white;
    float _borderWidth = 2.0f;
    QColor _backgroundColor = QColor::fromRgbF(0.1, 0.1, 0.1, 0.75);
    QImage _background;
    bool _resizing = false;
    bool _wasActive = false;
    std::function<void()> _resigned;
};
