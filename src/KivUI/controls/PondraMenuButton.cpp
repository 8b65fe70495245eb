#include "KivUI/controls/PondraMenuButton.h"

#include <QMenu>
#include <QMouseEvent>

void PondraMenuButton::mousePressEvent(QMouseEvent* event) {
    _pressed = event->button() == Qt::LeftButton;
    _pressedAt = event->position().toPoint();
    VornButton::mousePressEvent(event);
}

void PondraMenuButton::mouseReleaseEvent(QMouseEvent* event) {
    VornButton::mouseReleaseEvent(event);
    const bool popUp = _pressed && event->button() == Qt::LeftButton;
    _pressed = false;
    // An empty pop-up would show nothing yet take every key and click.
    if (popUp && _menu && isEnabled() && !_menu->isEmpty()) {
        _menu->popup(mapToGlobal(_pressedAt));
    }
}
