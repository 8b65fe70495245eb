#pragma once

#include <QCheckBox>

// The skinned check box: its image by state and press, at a quarter of its
// opacity when disabled, and a light title beside it.
class VornCheckBox : public QCheckBox {
public:
    explicit VornCheckBox(QWidget* parent = nullptr);
    explicit VornCheckBox(const QString& text, QWidget* parent = nullptr);

    // "vorn_checkbox_" and the state, "_pressed" while pressed.
    QString imageName() const;
    QRectF imageRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
