#include "KivUI/views/BrolAttachedGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

enum Corner { kTopLeft, kTopRight, kBottomRight, kBottomLeft };

bool arrowOnLeftOrRight(int side) {
    return side == 0 || side == 2 || (side >= 4 && side <= 7);
}
bool arrowOnTopOrBottom(int side) {
    return side == 1 || side == 3 || (side >= 8 && side <= 11);
}

// A quarter circle from the current point, turning at `corner`, to `to`.
void arcThrough(QPainterPath& path, QPointF corner, QPointF to) {
    // The cubic that best follows a quarter circle.
    constexpr qreal kappa = 0.5522847498;
    const QPointF from = path.currentPosition();
    path.cubicTo(from + (corner - from) * kappa, to + (corner - to) * kappa, to);
}

} // namespace

float BrolAttachedGeometry::arrowInset() const {
    return arrowBaseWidth * 0.5f + (drawsRoundCornerBesideArrow ? cornerRadius : 0.0f);
}

KivPoint BrolAttachedGeometry::windowSize() const {
    KivPoint size{viewSize.x + 2 * viewMargin, viewSize.y + 2 * viewMargin};
    if (arrowOnLeftOrRight(side)) {
        size.x += arrowHeight;
    } else if (arrowOnTopOrBottom(side)) {
        size.y += arrowHeight;
    }
    return size;
}

KivRect BrolAttachedGeometry::viewFrame() const {
    KivRect frame{viewMargin, viewMargin, viewSize.x, viewSize.y};
    if (side == 2 || side == 6 || side == 7) {
        frame.x += arrowHeight;
    } else if (side == 3 || side == 8 || side == 9) {
        frame.y += arrowHeight;
    }
    return frame;
}

KivRect BrolAttachedGeometry::windowFrame(KivPoint p) const {
    const KivPoint size = windowSize();
    const float w = size.x;
    const float h = size.y;
    const float d = distance;
    const float i = arrowInset();
    KivPoint origin = p;
    switch (side) {
    case 0:
        origin = {p.x - w - d, p.y - h / 2};
        break;
    case 1:
        origin = {p.x - w / 2, p.y - h - d};
        break;
    case 2:
        origin = {p.x + d, p.y - h / 2};
        break;
    case 3:
        origin = {p.x - w / 2, p.y + d};
        break;
    case 4:
        origin = {p.x - w - d, p.y - i};
        break;
    case 5:
        origin = {p.x - w - d, p.y - h + i};
        break;
    case 6:
        origin = {p.x + d, p.y - i};
        break;
    case 7:
        origin = {p.x + d, p.y - h + i};
        break;
    case 8:
        origin = {p.x - w + i, p.y + d};
        break;
    case 9:
        origin = {p.x - i, p.y + d};
        break;
    case 10:
        origin = {p.x - w + i, p.y - h - d};
        break;
    case 11:
        origin = {p.x - i, p.y - h - d};
        break;
    default:
        break;
    }
    return {origin.x, origin.y, w, h};
}

int BrolAttachedGeometry::bestSide(KivPoint p, KivRect visible, KivRect window) const {
    const float w = viewSize.x + 2 * viewMargin;
    const float h = viewSize.y + 2 * viewMargin;
    const float k = arrowHeight + distance;
    const float visibleRight = visible.x + visible.width;
    const float visibleTop = visible.y + visible.height;
    int chosen = 1;
    if (p.y - h - k >= visible.y) {
        chosen = 1;
    } else if (p.x + w + k < visibleRight) {
        chosen = 2;
    } else if (p.x - w - k >= visible.x) {
        chosen = 0;
    } else if (p.y + h + k < visibleTop) {
        chosen = 3;
    }
    const float i = arrowInset();
    if (chosen == 0 || chosen == 2) {
        if (p.y - h / 2 < window.y) {
            if (p.y + h - i < visibleTop) {
                chosen = chosen == 0 ? 4 : 6;
            }
        } else if (p.y + h / 2 >= window.y + window.height && p.y - h + i >= visible.y) {
            chosen = chosen == 0 ? 5 : 7;
        }
    } else {
        if (p.x - w / 2 < window.x) {
            if (p.x + w - i < visibleRight) {
                chosen = chosen == 1 ? 11 : 9;
            }
        } else if (p.x + w / 2 >= window.x + window.width && p.x - w + i >= visible.x) {
            chosen = chosen == 1 ? 10 : 8;
        }
    }
    return chosen;
}

bool BrolAttachedGeometry::isRounded(int corner) const {
    if (cornerRadius <= 0) {
        return false;
    }
    if (drawsRoundCornerBesideArrow) {
        return true;
    }
    switch (corner) {
    case kTopLeft:
        return side != 7 && side != 11;
    case kTopRight:
        return side != 5 && side != 10;
    case kBottomRight:
        return side != 4 && side != 8;
    default:
        return side != 6 && side != 9;
    }
}

void BrolAttachedGeometry::appendArrow(QPainterPath& path) const {
    if (!hasArrow) {
        return;
    }
    const QPointF c = path.currentPosition();
    const qreal a = arrowHeight;
    const qreal b = arrowBaseWidth;
    QPointF tip;
    QPointF end;
    if (side == 1 || side == 10 || side == 11) {
        tip = {c.x() + b / 2, c.y() + a};
        end = {c.x() + b, c.y()};
    } else if (side == 3 || side == 8 || side == 9) {
        tip = {c.x() - b / 2, c.y() - a};
        end = {c.x() - b, c.y()};
    } else if (side == 2 || side == 6 || side == 7) {
        tip = {c.x() - a, c.y() + b / 2};
        end = {c.x(), c.y() + b};
    } else {
        tip = {c.x() + a, c.y() - b / 2};
        end = {c.x(), c.y() - b};
    }
    path.lineTo(tip);
    path.lineTo(end);
}

QPainterPath BrolAttachedGeometry::outline() const {
    const KivRect view = viewFrame();
    const qreal bx = view.x - viewMargin;
    const qreal by = view.y - viewMargin;
    const qreal bw = view.width + 2 * viewMargin;
    const qreal bh = view.height + 2 * viewMargin;
    // Edges on whole points just inside the bubble's rectangle.
    const qreal left = std::ceil(bx + 0.5);
    const qreal right = std::floor(bx + bw - 0.5);
    const qreal bottom = std::ceil(by + 0.5);
    const qreal top = std::floor(by + bh - 0.5);
    const qreal midX = bx + bw * 0.5;
    const qreal midY = by + bh * 0.5;
    const qreal r = cornerRadius;
    const qreal b = arrowBaseWidth;
    const bool topLeft = isRounded(kTopLeft);
    const bool topRight = isRounded(kTopRight);
    const bool bottomRight = isRounded(kBottomRight);
    const bool bottomLeft = isRounded(kBottomLeft);

    QPainterPath path;
    path.moveTo(topLeft ? left + r : left, top);

    const qreal topEnd = topRight ? right - r : right;
    if (side == 1) {
        path.lineTo(midX - b / 2, top);
        appendArrow(path);
    } else if (side == 10) {
        path.lineTo(topEnd - b, top);
        appendArrow(path);
    } else if (side == 11) {
        appendArrow(path);
    }
    path.lineTo(topEnd, top);
    if (topRight) {
        arcThrough(path, {right, top}, {right, top - r});
    }

    const qreal rightEnd = bottomRight ? bottom + r : bottom;
    if (side == 0) {
        path.lineTo(right, midY + b / 2);
        appendArrow(path);
    } else if (side == 4) {
        path.lineTo(right, rightEnd + b);
        appendArrow(path);
    } else if (side == 5) {
        appendArrow(path);
    }
    path.lineTo(right, rightEnd);
    if (bottomRight) {
        arcThrough(path, {right, bottom}, {right - r, bottom});
    }

    const qreal bottomEnd = bottomLeft ? left + r : left;
    if (side == 3) {
        path.lineTo(midX + b / 2, bottom);
        appendArrow(path);
    } else if (side == 9) {
        path.lineTo(bottomEnd + b, bottom);
        appendArrow(path);
    } else if (side == 8) {
        appendArrow(path);
    }
    path.lineTo(bottomEnd, bottom);
    if (bottomLeft) {
        arcThrough(path, {left, bottom}, {left, bottom + r});
    }

    const qreal leftEnd = topLeft ? top - r : top;
    if (side == 2) {
        path.lineTo(left, midY - b / 2);
        appendArrow(path);
    } else if (side == 7) {
        path.lineTo(left, leftEnd - b);
        appendArrow(path);
    } else if (side == 6) {
        appendArrow(path);
    }
    path.lineTo(left, leftEnd);
    if (topLeft) {
        arcThrough(path, {left, top}, {left + r, top});
    }
    path.closeSubpath();
    return path;
}
