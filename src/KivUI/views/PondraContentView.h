#pragma once

#include <QWidget>

// The workspace window's content: a strip of "bottom_pattern.png" across the
// bottom whose top edge lies 63 points above the bottom edge.
class PondraContentView : public QWidget {
public:
    static constexpr qreal kPatternTop = 63.0;

    using QWidget::QWidget;

    // The strip in Qt coordinates.
    QRectF patternRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
