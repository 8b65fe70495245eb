#include "KivUI/controls/VornTextField.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/KivViewGeometry.h"

#include <QPainter>

VornTextField::VornTextField(QWidget* parent)
    : QLineEdit(parent) {
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // The text sits 3 points in from the left, as the field editor's inset.
    setTextMargins(3, 1, 3, 0);
    applyTextColors();
}

VornTextField::VornTextField(const QString& text, QWidget* parent)
    : VornTextField(parent) {
    setText(text);
}

QSize VornTextField::sizeHint() const {
    return {QLineEdit::sizeHint().width(), fontMetrics().height() + 8};
}

void VornTextField::applyTextColors() {
    QPalette colours = palette();
    const bool editing = isEditing();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Text,
                     editing ? KivColors::textFieldEditingText() : KivColors::textFieldText());
    colours.setColor(QPalette::Disabled, QPalette::Text, KivColors::titleDisabled());
    colours.setColor(QPalette::Highlight, KivColors::textFieldSelection());
    colours.setColor(QPalette::HighlightedText, Qt::white);
    colours.setColor(QPalette::PlaceholderText, KivColors::grey(0.45));
    setPalette(colours);
}

void VornTextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    applyTextColors();
}

void VornTextField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    applyTextColors();
}

void VornTextField::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const bool editing = isEditing();
        const KivViewGeometry geometry(*this);
        const float w = static_cast<float>(width());
        const float h = static_cast<float>(height());
        painter.fillRect(geometry.toQt(KivRect{0, h - 1, w, 1}), KivColors::textFieldEdge(editing));
        painter.fillRect(geometry.toQt(KivRect{0, 0, w, h - 1}), KivColors::textFieldBody(editing));
        painter.fillRect(geometry.toQt(KivRect{1, 1, w - 2, h - 2}),
                         KivColors::textFieldFace(editing));
    }
    QLineEdit::paintEvent(event);
}
