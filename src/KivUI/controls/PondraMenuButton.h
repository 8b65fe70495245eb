#pragma once

#include "KivUI/controls/VornButton.h"

#include <QMenu>
#include <QPoint>
#include <QPointer>

// A skinned button that, once its click has ended, pops its menu up at the
// point where the mouse went down (the cue inspector's effects button).
class PondraMenuButton : public VornButton {
public:
    using VornButton::VornButton;

    // Not owned. Not QPushButton::setMenu, which pops up on the press.
    void setPopUpMenu(QMenu* menu) { _menu = menu; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<QMenu> _menu;
    QPoint _pressedAt;
    bool _pressed = false;
};
