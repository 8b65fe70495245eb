#include "KivUI/drawing/KivImageArt.h"

qreal KivImageArt::threePartOrigin(Piece piece, qreal leftWidth) {
    switch (piece) {
    case Piece::Left:
        return 0;
    case Piece::Fill:
        return leftWidth;
    case Piece::Right:
        return leftWidth + 1;
    }
    return 0;
}

QSizeF KivImageArt::threePartFull(qreal height, qreal leftWidth, qreal rightWidth) {
    return {leftWidth + 1 + rightWidth, height};
}

QPointF KivImageArt::gridOrigin(Grid piece, qreal corner) {
    const int index = static_cast<int>(piece);
    const qreal steps[] = {0, corner, corner + 1};
    return {steps[index % 3], steps[index / 3]};
}
