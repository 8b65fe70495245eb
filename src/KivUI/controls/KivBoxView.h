#pragma once

#include <QImage>
#include <QWidget>

#include <array>

// A box drawn from one background image cut into a 3 x 3 grid: the corners
// at their own size, the edges and the middle tiled. Pieces are a third of
// the image, rounded down, so a 31 x 31 image gives 10 x 10 pieces and its
// middle column and row of spare pixels are in none.
class KivBoxView : public QWidget {
public:
    // The order of pieces(): rows from the top, columns from the left.
    enum Piece {
        TopLeft,
        TopMiddle,
        TopRight,
        LeftMiddle,
        Middle,
        RightMiddle,
        BottomLeft,
        BottomMiddle,
        BottomRight
    };

    using QWidget::QWidget;

    void setBackgroundImage(const QImage& image);
    const std::array<QImage, 9>& pieces() const { return _pieces; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage _backgroundImage;
    std::array<QImage, 9> _pieces;
};
