#pragma once

#include <QWidget>

// The inspector pane's background: a gradient from top to bottom, a dark
// line along the top row and a faint light one under it.
class CueInspectorView : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
