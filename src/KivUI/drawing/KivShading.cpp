#include "KivUI/drawing/KivShading.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

KivShading::Rgba components(const QColor& color) {
    const QColor rgb = color.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

// Enough stops that a curved evaluation reads as smooth.
constexpr int kSamples = 64;

} // namespace

KivShading::Rgba KivShading::linearEvaluate(qreal t, const Rgba& first, const Rgba& difference) {
    Rgba out{};
    for (size_t i = 0; i < 4; ++i) {
        out[i] = first[i] + t * difference[i];
    }
    return out;
}

KivShading::Rgba KivShading::tentEvaluate(qreal t, const Rgba& first, const Rgba& difference) {
    return linearEvaluate(t <= 0.5 ? 2 * t : 2 - 2 * t, first, difference);
}

void KivShading::linearGradientFill(QPainter& painter, const QPainterPath& path,
                                    const QColor& start, const QColor& end) {
    customHorizontalFill(painter, path, linearEvaluate, start, end);
}

void KivShading::linearVerticalGradientFill(QPainter& painter, const QPainterPath& path,
                                            const QColor& start, const QColor& end) {
    customVerticalFill(painter, path, linearEvaluate, start, end);
}

void KivShading::bilinearGradientFill(QPainter& painter, const QPainterPath& path,
                                      const QColor& outer, const QColor& inner) {
    customHorizontalFill(painter, path, tentEvaluate, inner, outer);
}

void KivShading::customHorizontalFill(QPainter& painter, const QPainterPath& path,
                                      Evaluate evaluate, const QColor& first,
                                      const QColor& second) {
    const QRectF bounds = path.boundingRect();
    customFill(painter, path, evaluate, first, second, bounds.bottomLeft(), bounds.topLeft());
}

void KivShading::customVerticalFill(QPainter& painter, const QPainterPath& path, Evaluate evaluate,
                                    const QColor& first, const QColor& second) {
    const QRectF bounds = path.boundingRect();
    customFill(painter, path, evaluate, first, second, bounds.topLeft(), bounds.topRight());
}

void KivShading::customFill(QPainter& painter, const QPainterPath& path, Evaluate evaluate,
                            const QColor& first, const QColor& second, const QPointF& start,
                            const QPointF& end) {
    const Rgba a = components(first);
    const Rgba b = components(second);
    const Rgba difference{b[0] - a[0], b[1] - a[1], b[2] - a[2], b[3] - a[3]};
    QLinearGradient gradient(start, end);
    for (int i = 0; i <= kSamples; ++i) {
        const qreal t = static_cast<qreal>(i) / kSamples;
        const Rgba c = evaluate(t, a, difference);
        gradient.setColorAt(
            t, QColor::fromRgbF(std::clamp(c[0], 0.0, 1.0), std::clamp(c[1], 0.0, 1.0),
                                std::clamp(c[2], 0.0, 1.0), std::clamp(c[3], 0.0, 1.0)));
    }
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    painter.fillPath(path, gradient);
    painter.restore();
}
