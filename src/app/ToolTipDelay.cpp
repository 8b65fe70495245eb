#include "app/ToolTipDelay.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

ToolTipDelay::ToolTipDelay() {
    _sinceMove.start();
    _timer.setSingleShot(true);
    connect(&_timer, &QTimer::timeout, this, &ToolTipDelay::showPending);
}

bool ToolTipDelay::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::Leave:
        _sinceMove.restart();
        _timer.stop();
        break;
    case QEvent::ToolTip: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (_resending || !widget || QToolTip::isVisible()) {
            break;
        }
        const qint64 rested = _sinceMove.elapsed();
        if (rested >= _delay) {
            break;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        _widget = widget;
        _position = help->pos();
        _globalPosition = help->globalPos();
        _timer.start(static_cast<int>(_delay - rested));
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void ToolTipDelay::showPending() {
    if (!_widget) {
        return;
    }
    QHelpEvent event(QEvent::ToolTip, _position, _globalPosition);
    _resending = true;
    QApplication::sendEvent(_widget, &event);
    _resending = false;
}
