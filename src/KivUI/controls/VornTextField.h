#pragma once

#include <QLineEdit>

// The skinned text field: an edge line along the top, a dark body and an
// inner face, lighter while it is being edited (has the focus); light text,
// white while editing, with a yellow selection and no focus ring.
class VornTextField : public QLineEdit {
public:
    explicit VornTextField(QWidget* parent = nullptr);
    explicit VornTextField(const QString& text, QWidget* parent = nullptr);

    bool isEditing() const { return hasFocus() && !isReadOnly(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyTextColors();
};
