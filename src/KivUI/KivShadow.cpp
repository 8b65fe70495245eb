#include "KivUI/KivShadow.h"

#include "KivUI/KivPainterRatio.h"
#include "KivUI/KivViewGeometry.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
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
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float coverage = alpha[y * width + x] * a;
            line[x] = qPremultiply(qRgba(color.red(), color.green(), color.blue(),
                                         static_cast<int>(std::lround(coverage * 255))));
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
    painter.drawImage(area.topLeft() + KivViewGeometry::offsetToQt(offset), silhouette(layer));
    painter.drawImage(area.topLeft(), layer);
}
