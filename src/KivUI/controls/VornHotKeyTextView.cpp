#include "KivUI/controls/VornHotKeyTextView.h"

#include "KivUI/controls/KivHotKeyAdapter.h"
#include "KivUI/drawing/KivColors.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

bool withCtrlOrAlt(const QKeyEvent& event) {
    return (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
}

} // namespace

VornHotKeyTextView::VornHotKeyTextView(QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    QFont font = this->font();
    font.setPixelSize(14);
    setFont(font);
}

void VornHotKeyTextView::setKey(const KivHotKey& key) {
    _key = key;
    update();
}

QSize VornHotKeyTextView::sizeHint() const {
    return {90, fontMetrics().height() + 8};
}

bool VornHotKeyTextView::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        // A key the field records, or one it acts on, is no window shortcut
        // while the field has the focus; Ctrl keys stay the menus'.
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) == 0) {
            key->accept();
            return true;
        }
        return QWidget::event(event);
    }
    case QEvent::KeyPress:
        // Before QWidget::event, which would move the focus on Tab itself.
        if (keyDown(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        return QWidget::event(event);
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        update();
        return QWidget::event(event);
    default:
        return QWidget::event(event);
    }
}

bool VornHotKeyTextView::keyDown(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Tab:
        if (!withCtrlOrAlt(event)) {
            focusNextPrevChild((event.modifiers() & Qt::ShiftModifier) == 0);
            return true;
        }
        return false;
    case Qt::Key_Backtab:
        if (!withCtrlOrAlt(event)) {
            focusNextPrevChild(false);
            return true;
        }
        return false;
    case Qt::Key_Escape:
        if (cancel) {
            cancel();
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        clearFocus();
        return true;
    default:
        break;
    }
    const std::optional<KivKeyEvent> key = KivHotKeyAdapter::keyEvent(event);
    if (!key) {
        // A held key repeats; the first press was the one recorded.
        return event.isAutoRepeat();
    }
    _key.setFromKeyEvent(*key);
    update();
    if (hotKeyDidChange) {
        hotKeyDidChange();
    }
    return true;
}

void VornHotKeyTextView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool editing = hasFocus();
    const QRect bounds = rect();
    // The skinned text field's edge along the bottom, its body and face.
    painter.fillRect(QRect(0, bounds.height() - 1, bounds.width(), 1),
                     KivColors::textFieldEdge(editing));
    painter.fillRect(QRect(0, 0, bounds.width(), bounds.height() - 1),
                     KivColors::textFieldBody(editing));
    painter.fillRect(bounds.adjusted(1, 1, -1, -1), KivColors::textFieldFace(editing));
    painter.setPen(Qt::white);
    painter.drawText(bounds.adjusted(3, 2, -3, -2), Qt::AlignCenter,
                     QString::fromStdString(_key.displayString()));
}
