#include "KivUI/drawing/KivShadow.h"

#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/views/KivViewGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

namespace {

// One box blur pass over the alpha channel, rows then columns.
void boxBlur(std::vector<float>& alpha, int width, int height, int radius) {
    std::vector<float> out(alpha.size());
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int xx = x + k;
                sum += (xx < 0 || xx >= width) ? 0 : alpha[y * width + xx];
            }
            out[y * width + x] = sum * scale;
        }
    }
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            float sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int yy = y + k;
                sum += (yy < 0 || yy >= height) ? 0 : out[yy * width + x];
            }
            alpha[y * width + x] = sum * scale;
        }
    }
}

// A silhouette drawn lately, with what it was drawn from.
struct DrawnSilhouette {
    QImage layer;
    QColor color;
    qreal blur;
    QImage silhouette;
};

// Cells cast the same shapes at every redraw, and comparing two layers costs
// far less than blurring one: the latest silhouettes are kept, newest first.
// GUI thread, as all widget painting.
constexpr std::size_t kKeptSilhouettes = 16;
std::deque<DrawnSilhouette>& keptSilhouettes() {
    static std::deque<DrawnSilhouette> kept;
    return kept;
}

// The shadow's silhouette of the layer, from the kept ones where it can be.
QImage keptSilhouette(const KivShadow& shadow, const QImage& layer) {
    auto& kept = keptSilhouettes();
    const auto found = std::find_if(kept.begin(), kept.end(), [&](const DrawnSilhouette& drawn) {
        return drawn.blur == shadow.blur && drawn.color == shadow.color &&
               drawn.layer.devicePixelRatio() == layer.devicePixelRatio() && drawn.layer == layer;
    });
    if (found != kept.end()) {
        std::rotate(kept.begin(), found, std::next(found));
        return kept.front().silhouette;
    }
    kept.push_front({layer, shadow.color, shadow.blur, shadow.silhouette(layer)});
    if (kept.size() > kKeptSilhouettes) {
        kept.pop_back();
    }
    return kept.front().silhouette;
}

} // namespace

const KivShadow& KivShadow::darkText() {
    static const KivShadow shadow{Qt::black, 0, {0, 1}};
    return shadow;
}

const KivShadow& KivShadow::lightText() {
    static const KivShadow shadow{Qt::white, 0, {0, 1}};
    return shadow;
}

QImage KivShadow::silhouette(const QImage& layer) const {
    const QImage source = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = source.width();
    const int height = source.height();
    std::vector<float> alpha(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            alpha[y * width + x] = qAlpha(line[x]) / 255.0f;
        }
    }
    // Three box passes approximate a gaussian of the blur radius.
    const int radius = static_cast<int>(std::lround(blur * source.devicePixelRatio() / 2.0));
    if (radius > 0) {
        for (int pass = 0; pass < 3; ++pass) {
            boxBlur(alpha, width, height, std::max(1, radius / 2));
        }
    }
    QImage result(source.size(), QImage::Format_ARGB32_Premultiplied);
    result.setDevicePixelRatio(source.devicePixelRatio());
    const float a = static_cast<float>(color.alphaF());
    const int red = color.red();
    const int green = color.green();
    const int blue = color.blue();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float coverage = alpha[y * width + x] * a;
            line[x] = qPremultiply(
                qRgba(red, green, blue, static_cast<int>(std::lround(coverage * 255))));
        }
    }
    return result;
}

void KivShadow::paint(QPainter& painter, const QRectF& bounds,
                      const std::function<void(QPainter&)>& draw) const {
    const qreal ratio = KivPainterRatio(painter);
    const qreal margin = std::ceil(blur) + 1;
    const QRectF area = bounds.adjusted(-margin, -margin, margin, margin);
    QImage layer((area.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        layerPainter.setFont(painter.font());
        layerPainter.translate(-area.topLeft());
        draw(layerPainter);
    }
    painter.drawImage(area.topLeft() + KivViewGeometry::offsetToQt(offset),
                      keptSilhouette(*this, layer));
    painter.drawImage(area.topLeft(), layer);
}
