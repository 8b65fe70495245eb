#include "KivUI/controls/VornScrollerStyle.h"

#include <QStyleOptionSlider>

int VornScrollerStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                   const QWidget* widget) const {
    switch (metric) {
    case PM_ScrollBarExtent:
        return kExtent;
    case PM_ScrollBarSliderMin:
        return 24;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QRect VornScrollerStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                        SubControl subControl, const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar) {
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
    const bool horizontal = bar->orientation == Qt::Horizontal;
    const QRect groove = bar->rect;
    const int length = horizontal ? groove.width() : groove.height();
    const int range = bar->maximum - bar->minimum;
    int knob = range > 0 ? static_cast<int>(static_cast<qint64>(bar->pageStep) * length /
                                            (range + bar->pageStep))
                         : length;
    knob = std::clamp(knob, std::min(length, pixelMetric(PM_ScrollBarSliderMin, option, widget)),
                      length);
    const int start = sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition,
                                              length - knob, bar->upsideDown);
    const QRect knobRect = horizontal ? QRect(groove.x() + start, groove.y(), knob, groove.height())
                                      : QRect(groove.x(), groove.y() + start, groove.width(), knob);
    switch (subControl) {
    case SC_ScrollBarSlider:
        return knobRect;
    case SC_ScrollBarGroove:
        return groove;
    case SC_ScrollBarAddPage:
        return horizontal ? QRect(knobRect.right() + 1, groove.y(),
                                  groove.right() - knobRect.right(), groove.height())
                          : QRect(groove.x(), knobRect.bottom() + 1, groove.width(),
                                  groove.bottom() - knobRect.bottom());
    case SC_ScrollBarSubPage:
        return horizontal
                   ? QRect(groove.x(), groove.y(), knobRect.x() - groove.x(), groove.height())
                   : QRect(groove.x(), groove.y(), groove.width(), knobRect.y() - groove.y());
    default:
        return {};
    }
}

int VornScrollerStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                 QStyleHintReturn* returnData) const {
    if (hint == SH_ScrollBar_Transient) {
        return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
