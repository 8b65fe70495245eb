#pragma once

#include <QColor>
#include <QScrollBar>

class VornScrollerStyle;

// The skinned scroller: small, without arrows, a flat background and a
// rounded knob inset one point, lighter in the active window.
class VornScroller : public QScrollBar {
public:
    explicit VornScroller(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~VornScroller() override;

    QColor backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(const QColor& color);

    // The knob as drawn: the style's knob rectangle inset by one point.
    QRectF knobRect() const;
    static constexpr qreal kKnobRadius = 4.5;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VornScrollerStyle* _style;
    QColor _backgroundColor;
    QColor _scrollerColor;
};
