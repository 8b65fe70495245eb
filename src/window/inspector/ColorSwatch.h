#pragma once

#include "model/PondraColor.h"

#include <QAbstractButton>

// One palette colour of the cue inspector: the colour's gradient in a
// rounded square, ringed in white while it is the cue's colour.
class ColorSwatch final : public QAbstractButton {
public:
    static constexpr int kSize = 18;

    ColorSwatch(PondraColor color, QWidget* parent = nullptr);
    const PondraColor& color() const { return _color; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PondraColor _color;
};
