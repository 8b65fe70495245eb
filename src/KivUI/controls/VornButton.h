#pragma once

#include "KivUI/controls/KivControlSize.h"

#include <QColor>
#include <QPushButton>

// The skinned push button: a three-part bezel (the pressed set while down or
// checked), an overlay colour over it, and for the default button a steady
// white glow when no overlay colour is set.
class VornButton : public QPushButton {
public:
    explicit VornButton(QWidget* parent = nullptr);
    explicit VornButton(const QString& text, QWidget* parent = nullptr);

    void setControlSize(KivControlSize size);
    // An invalid colour means none.
    void setOverlayColor(const QColor& color);

    // Enabled and the default button (the one Return presses).
    bool isDefaultButton() const;
    // The bezel: inset 6 (small: 5) points left and right, as high as the left
    // cap, ceil((height - cap height) / 2) - 1 from the top.
    QRectF bezelRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString imageName(const char* part) const;

    KivControlSize _controlSize = KivControlSize::Regular;
    QColor _overlayColor;
};
