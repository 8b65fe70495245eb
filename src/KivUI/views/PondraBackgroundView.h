#pragma once

#include <QWidget>

// The dark ground of the sheets: a vertical gradient over the whole view,
// darker at the bottom edge than at the top.
class PondraBackgroundView : public QWidget {
public:
    static QColor bottomColor();
    static QColor topColor();

    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
