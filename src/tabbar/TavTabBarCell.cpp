#include "tabbar/TavTabBarCell.h"

#include "tabbar/TavProgressIndicator.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

TavTabBarCell::TavTabBarCell(TavTabBarControl& bar)
    : _bar(bar)
    , _indicator(new TavProgressIndicator(&bar)) {
    _indicator->setGeometry(0, 0, 16, 16);
    _indicator->setVisible(false);
}

TavTabBarCell::TavTabBarCell(const QRectF& frame, bool expanded, TavTabBarControl& bar)
    : _bar(bar)
    , _frame(frame)
    , _currentStep(expanded ? 7 : 0)
    , _placeholder(true) {
    if (!expanded) {
        if (bar.orientation() == TavTabBarControl::kVertical) {
            _frame.setHeight(0);
        } else {
            _frame.setWidth(0);
        }
    }
}

TavTabBarCell::~TavTabBarCell() {
    delete _indicator;
}

void TavTabBarCell::setFrame(const QRectF& frame) {
    _frame = frame;
    if (isIndicatorShowing() && !_bar.isTabBarHidden()) {
        _indicator->setGeometry(indicatorRect().toRect());
    }
}

void TavTabBarCell::setStringValue(const QString& title) {
    _title = title;
    _stringSize = attributedStringValue().size();
    _bar.relayout();
}

TavStyledText TavTabBarCell::attributedStringValue() const {
    return _bar.style().attributedStringValueForTabCell(*this);
}

void TavTabBarCell::trackMouse(const std::optional<QPointF>& mouse) {
    _highlighted = mouse && _frame.contains(*mouse);
    _closeButtonOver = mouse && _hasCloseButton && !_closeButtonSuppressed &&
                       closeButtonRectForFrame(_frame).contains(*mouse);
}

bool TavTabBarCell::closeButtonOver() const {
    return _closeButtonOver && (_bar.allowsBackgroundTabClosing() || (_tabState & kSelected) != 0 ||
                                (QGuiApplication::keyboardModifiers() & Qt::ControlModifier) != 0);
}

void TavTabBarCell::setCurrentStep(int step) {
    _currentStep = std::clamp(step, 0, 7);
}

void TavTabBarCell::setIsInOverflowMenu(bool inOverflowMenu) {
    if (inOverflowMenu == _inOverflowMenu) {
        return;
    }
    _inOverflowMenu = inOverflowMenu;
    if (TavTabBarControlDelegate* delegate = _bar.delegate(); delegate && _bar.tabView() && _item) {
        delegate->tabViewTabViewItemIsInOverflowMenu(*_bar.tabView(), *_item, inOverflowMenu);
    }
}

bool TavTabBarCell::isIndicatorShowing() const {
    return _indicator && !_indicator->isHidden();
}

QRectF TavTabBarCell::indicatorRect() const {
    return _bar.style().indicatorRectForTabCell(*this);
}

QRectF TavTabBarCell::closeButtonRectForFrame(const QRectF& frame) const {
    return _bar.style().closeButtonRectForTabCell(*this, frame);
}

qreal TavTabBarCell::minimumWidthOfCell() const {
    return _bar.style().minimumWidthOfTabCell(*this);
}

qreal TavTabBarCell::desiredWidthOfCell() const {
    return _bar.style().desiredWidthOfTabCell(*this);
}

void TavTabBarCell::drawWithFrame(QPainter& painter) {
    if (_placeholder) {
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.fillRect(_frame, QColor::fromRgbF(0, 0, 0, 0.2));
        painter.restore();
        return;
    }
    _bar.style().drawTabCell(painter, *this);
}

QImage TavTabBarCell::dragImage() const {
    const QRect rect = _bar.style().dragRectForTabCell(*this, _bar.orientation()).toAlignedRect();
    return _bar.grab(rect).toImage();
}
