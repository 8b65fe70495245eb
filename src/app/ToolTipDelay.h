#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QWidget;

// Holds back a tooltip until the pointer has rested for the delay; Qt's own
// wake-up delay is fixed. A tooltip that follows one still showing is not held
// back. GUI thread only; install on the application.
class ToolTipDelay : public QObject {
public:
    ToolTipDelay();

    int delay() const { return _delay; }
    void setDelay(int milliseconds) { _delay = milliseconds; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPending();

    int _delay = 0;
    QElapsedTimer _sinceMove;
    QTimer _timer;
    QPointer<QWidget> _widget;
    QPoint _position;
    QPoint _globalPosition;
    bool _resending = false;
};
