#include "KivUI/controls/VornScroller.h"

#include "KivUI/controls/VornScrollerStyle.h"
#include "KivUI/drawing/KivColors.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSlider>

VornScroller::VornScroller(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
    , _style(new VornScrollerStyle)
    , _backgroundColor(KivColors::scrollerBackground())
    , _scrollerColor(KivColors::scrollerKnob()) {
    _style->setParent(this);
    setStyle(_style);
}

VornScroller::~VornScroller() = default;

void VornScroller::setBackgroundColor(const QColor& color) {
    _backgroundColor = color;
    update();
}

QRectF VornScroller::knobRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect knob =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    return QRectF(knob).adjusted(1, 1, -1, -1);
}

void VornScroller::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), _backgroundColor);
    if (maximum() <= minimum()) {
        return;
    }
    QColor knob = _scrollerColor;
    if (!isActiveWindow()) {
        const qreal grey = std::max(0.0, knob.lightnessF() - 0.2);
        knob = QColor::fromRgbF(grey, grey, grey, knob.alphaF());
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(knobRect(), kKnobRadius, kKnobRadius);
    painter.fillPath(path, knob);
}
