#pragma once

// The contrast ratio of text against its ground, read from the pixels of a
// picture as a reader sees them: WCAG's ratio of relative luminances, each
// plus 0.05 (1 for equal colours, 21 for black on white). A region is drawn
// around one text with a little ground on every side: the ground is what its
// edge shows, the text the ink that stands out from it, on the side (lighter
// or darker) where most of it lies, so a one-point shadow under a text does
// not count as the text.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace TextContrast {

inline double linear(double component) {
    return component <= 0.03928 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

inline double luminance(const QColor& color) {
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

inline double ratio(double one, double other) {
    return (std::max(one, other) + 0.05) / (std::min(one, other) + 0.05);
}

struct Reading {
    // 1 when the region holds no text.
    double ratio = 1;
    double textLuminance = 0;
    double groundLuminance = 0;
    // Pixels taken as text.
    int ink = 0;
};

// Pixels that differ from the ground by less than this are ground: the
// fringe of antialiasing and the run of a gradient.
constexpr double kInkThreshold = 1.4;
// The text's colour is the one that this share of its ink reaches: its
// strokes' cores, not the antialiased edges around them.
constexpr double kCoreShare = 0.25;

// `region` in pixels of `image`.
inline Reading measurePixels(const QImage& image, QRect region) {
    region &= image.rect();
    Reading reading;
    if (region.width() < 3 || region.height() < 3) {
        return reading;
    }
    std::vector<double> edge;
    for (int x = region.left(); x <= region.right(); ++x) {
        edge.push_back(luminance(image.pixelColor(x, region.top())));
        edge.push_back(luminance(image.pixelColor(x, region.bottom())));
    }
    for (int y = region.top() + 1; y < region.bottom(); ++y) {
        edge.push_back(luminance(image.pixelColor(region.left(), y)));
        edge.push_back(luminance(image.pixelColor(region.right(), y)));
    }
    std::nth_element(edge.begin(), edge.begin() + static_cast<long>(edge.size() / 2), edge.end());
    const double ground = edge[edge.size() / 2];
    std::vector<double> lighter;
    std::vector<double> darker;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const double l = luminance(image.pixelColor(x, y));
            if (ratio(l, ground) >= kInkThreshold) {
                (l > ground ? lighter : darker).push_back(l);
            }
        }
    }
    const bool light = lighter.size() >= darker.size();
    std::vector<double>& ink = light ? lighter : darker;
    reading.groundLuminance = ground;
    reading.ink = static_cast<int>(ink.size());
    if (ink.empty()) {
        return reading;
    }
    // Most extreme first.
    if (light) {
        std::sort(ink.begin(), ink.end(), std::greater<>());
    } else {
        std::sort(ink.begin(), ink.end());
    }
    const auto core = static_cast<std::size_t>(static_cast<double>(ink.size() - 1) * kCoreShare);
    reading.textLuminance = ink[core];
    reading.ratio = ratio(reading.textLuminance, ground);
    return reading;
}

// `region` in points of an image drawn at its device pixel ratio.
inline Reading measure(const QImage& image, const QRectF& region) {
    const qreal scale = image.devicePixelRatio();
    const QRectF pixels(region.topLeft() * scale, region.size() * scale);
    return measurePixels(image, pixels.toAlignedRect());
}

} // namespace TextContrast
