#include "window/warnings/PopoverWindow.h"

#include <QApplication>
#include <QKeyEvent>

void PopoverWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        BrolAttachedWindow::keyPressEvent(event);
        return;
    }
    if (QWidget* owner = parentWidget()) {
        QKeyEvent forwarded(event->type(), event->key(), event->modifiers(),
                            event->nativeScanCode(), event->nativeVirtualKey(),
                            event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                            static_cast<quint16>(event->count()));
        QApplication::sendEvent(owner->window(), &forwarded);
    }
    event->accept();
    resignKey();
}
