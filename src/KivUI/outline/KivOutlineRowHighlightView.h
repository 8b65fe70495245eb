#pragma once

#include <QColor>
#include <QWidget>

// The drop indicator: a rounded box over a row, or a line with a ring at its
// start between rows. It lets the mouse through. GUI thread.
class KivOutlineRowHighlightView : public QWidget {
public:
    explicit KivOutlineRowHighlightView(QWidget* parent = nullptr);

    void setStrokeColor(const QColor& colour) { _strokeColor = colour; }
    void setFillColor(const QColor& colour) { _fillColor = colour; }
    bool betweenRows() const { return _betweenRows; }
    void setBetweenRows(bool between) { _betweenRows = between; }
    // The stroke, and the fill as the same colour at a quarter alpha.
    void setColor(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor _strokeColor;
    QColor _fillColor;
    bool _betweenRows = false;
};
