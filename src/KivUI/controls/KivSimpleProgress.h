#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// A small floating progress window: a label over a determinate bar. The bar
// is redrawn at once after a value change only when the change is worth it:
// with a maximum of 100 or more, only at whole steps of 10. Values are any
// doubles: the bar shows where the value lies between the minimum and the
// maximum, so a range of 0 to 1 fills as smoothly as one of 0 to 1000.
class KivSimpleProgress : public QWidget {
public:
    explicit KivSimpleProgress(QWidget* parent = nullptr);

    void setLabel(const QString& text);

    double minValue() const { return _minValue; }
    void setMinValue(double value);
    double maxValue() const { return _maxValue; }
    void setMaxValue(double value);
    double doubleValue() const { return _theValue; }
    void setDoubleValue(double value);
    void incrementBy(double delta);

    // Whether a value is shown at once rather than at the next repaint.
    bool redisplaysAt(double value) const;

    QLabel* label() const { return _label; }
    QProgressBar* progressIndicator() const { return _progressIndicator; }
    // The bar's own whole-number range: 0 to this.
    static constexpr int kIndicatorSteps = 10000;

private:
    void showValue();

    double _theValue = 0;
    double _minValue = 0;
    double _maxValue = 100;
    QLabel* _label;
    QProgressBar* _progressIndicator;
};
