#include "KivUI/views/KivViewOperations.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace {

bool isEditingControl(const QWidget& widget) {
    return widget.hasFocus() && (qobject_cast<const QLineEdit*>(&widget) ||
                                 qobject_cast<const QAbstractSpinBox*>(&widget) ||
                                 qobject_cast<const QTextEdit*>(&widget) ||
                                 qobject_cast<const QPlainTextEdit*>(&widget));
}

// Leaving the field without its editingFinished: the edit is dropped, not sent.
void endEditing(QWidget& control) {
    const bool blocked = control.blockSignals(true);
    control.clearFocus();
    control.blockSignals(blocked);
}

void setEditable(QWidget& widget, bool editable) {
    if (auto* line = qobject_cast<QLineEdit*>(&widget)) {
        line->setReadOnly(!editable);
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(&widget)) {
        spin->setReadOnly(!editable);
    } else if (auto* text = qobject_cast<QTextEdit*>(&widget)) {
        text->setReadOnly(!editable);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(&widget)) {
        plain->setReadOnly(!editable);
    }
}

} // namespace

void KivViewOperations::abortEditing(QWidget& view) {
    for (QWidget* child : view.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (isEditingControl(*child)) {
            endEditing(*child);
        }
    }
    if (isEditingControl(view)) {
        endEditing(view);
    }
}

bool KivViewOperations::isContainedInSuperview(const QWidget& view, const QWidget* other) {
    if (!other) {
        return false;
    }
    if (other == &view || other == view.parentWidget()) {
        return true;
    }
    if (view.isWindow() || !view.parentWidget()) {
        return false;
    }
    return isContainedInSuperview(*view.parentWidget(), other);
}

bool KivViewOperations::containsFirstResponder(const QWidget& view) {
    const QWidget* window = view.window();
    if (!window || QApplication::activeWindow() != window) {
        return false;
    }
    const QWidget* focus = window->focusWidget();
    return focus && isContainedInSuperview(*focus, &view);
}

QImage KivViewOperations::drawWithSubviews(QWidget& view, const QRect& rect,
                                           qreal devicePixelRatio) {
    if (view.isHidden() || rect.isEmpty()) {
        return {};
    }
    QImage image((QSizeF(rect.size()) * devicePixelRatio).toSize(),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(rect), QWidget::DrawChildren);
    return image;
}

void KivViewOperations::setContentsEnabled(QWidget& view, bool enabled) {
    view.setEnabled(enabled);
    for (QWidget* child : view.findChildren<QWidget*>()) {
        child->setEnabled(enabled);
    }
}

void KivViewOperations::setContentsEditable(QWidget& view, bool editable) {
    setEditable(view, editable);
    for (QWidget* child : view.findChildren<QWidget*>()) {
        setEditable(*child, editable);
    }
}
