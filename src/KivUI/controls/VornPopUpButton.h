#pragma once

#include "KivUI/controls/KivControlSize.h"

#include <QComboBox>

// The skinned pop-up (or pull-down) button: a three-part bezel, the title in
// white with a shadow, and a dark overlay while pressed.
class VornPopUpButton : public QComboBox {
public:
    explicit VornPopUpButton(QWidget* parent = nullptr);

    void setControlSize(KivControlSize size);
    bool pullsDown() const { return _pullsDown; }
    void setPullsDown(bool pullsDown);
    // Pressed: the bezel darkens while the mouse is down or the menu is open.
    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted);

    // The bezel's rectangle: inset 3 points left and right, as high as the
    // left cap and centred vertically.
    QRectF bezelRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString imageName(const char* part) const;

    KivControlSize _controlSize = KivControlSize::Regular;
    bool _pullsDown = false;
    bool _highlighted = false;
};
