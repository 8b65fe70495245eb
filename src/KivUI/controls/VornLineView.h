#pragma once

#include <QWidget>

// A two-tone separator line: two horizontal one-point lines, or two vertical
// ones when the view is exactly 2 points wide.
class VornLineView : public QWidget {
public:
    using QWidget::QWidget;

    bool isHorizontal() const { return width() != 2; }

    QSize sizeHint() const override { return {2, 2}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
