#pragma once

#include <QWidget>

// A sunken panel drawn from the nine "vorn_well_" images over its bounds.
class VornWellView : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
