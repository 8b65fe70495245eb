#pragma once

#include <QTableView>

// The dark table: rows banded in two greys across the whole viewport, below
// the last row too, under Qt's own selection; optional column lines.
class KivTableView : public QTableView {
public:
    explicit KivTableView(QWidget* parent = nullptr);

    // The band colour of a row: even rows the lighter grey.
    static QColor bandColor(int row);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintBands(QPainter& painter, const QRect& clip) const;
    void paintColumnLines(QPainter& painter, const QRect& clip) const;

    bool _columnLines = false;
};
