#pragma once

#include <QHeaderView>

// The dark table header: each section a gradient, its title in white two
// points in from the left, and a dark one-point line at its right edge.
class KivHeaderView : public QHeaderView {
public:
    explicit KivHeaderView(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};
