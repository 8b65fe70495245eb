#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>

#include <array>

class QPainter;

// Fills of a path with a computed shading between two colours: the colour
// at t in [0, 1] is evaluate(t, first colour, second - first), per RGBA
// component in device RGB.
struct KivShading {
    using Rgba = std::array<qreal, 4>;
    using Evaluate = Rgba (*)(qreal t, const Rgba& first, const Rgba& difference);

    static Rgba linearEvaluate(qreal t, const Rgba& first, const Rgba& difference);
    // Up to the middle and back: t' = 2t below 0.5, 2 - 2t above.
    static Rgba tentEvaluate(qreal t, const Rgba& first, const Rgba& difference);

    // Along y, from the bounds' bottom to their top.
    static void linearGradientFill(QPainter& painter, const QPainterPath& path, const QColor& start,
                                   const QColor& end);
    // Along x, from left to right.
    static void linearVerticalGradientFill(QPainter& painter, const QPainterPath& path,
                                           const QColor& start, const QColor& end);
    // Along y: the inner colour at both edges, the outer one in the middle.
    static void bilinearGradientFill(QPainter& painter, const QPainterPath& path,
                                     const QColor& outer, const QColor& inner);
    static void customHorizontalFill(QPainter& painter, const QPainterPath& path, Evaluate evaluate,
                                     const QColor& first, const QColor& second);
    static void customVerticalFill(QPainter& painter, const QPainterPath& path, Evaluate evaluate,
                                   const QColor& first, const QColor& second);
    static void customFill(QPainter& painter, const QPainterPath& path, Evaluate evaluate,
                           const QColor& first, const QColor& second, const QPointF& start,
                           const QPointF& end);
};
