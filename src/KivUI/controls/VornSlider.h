#pragma once

#include "KivUI/controls/KivControlSize.h"

#include <QSlider>

// The skinned slider: an empty track from the knob on, a filled track up to
// the knob's centre, and the knob image. A click jumps straight to the value
// under the pointer; a press, its drag and the release make one edit, told by
// valueCommitted once at the release.
class VornSlider : public QSlider {
    Q_OBJECT

public:
    explicit VornSlider(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

    void setControlSize(KivControlSize size);

    // The knob's rectangle in the slider's coordinates.
    QRectF knobRect() const;
    // The value under a point of the slider.
    int valueAt(const QPointF& point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // One edit from press to release: the value at the press and at the release.
    void valueCommitted(int from, int to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString imageName(const char* base) const;
    QSizeF knobSize() const;
    // Length along the slider and across it.
    qreal length() const;
    qreal breadth() const;

    KivControlSize _controlSize = KivControlSize::Regular;
    int _valueAtPress = 0;
};
