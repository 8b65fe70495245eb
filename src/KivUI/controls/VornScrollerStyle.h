#pragma once

#include <QProxyStyle>

// Metrics of the skinned scroller only: a small bar without arrows, its knob
// over the whole groove. The drawing is the scroller's own.
class VornScrollerStyle : public QProxyStyle {
public:
    static constexpr int kExtent = 11;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
