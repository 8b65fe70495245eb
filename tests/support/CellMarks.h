#pragma once

// What a cue cell's status corner shows, read from its pixels: the green
// mark of a cue that plays, the amber bars of a paused one, the red sign of
// one that cannot play. Shared by the window tests (offscreen grabs) and the
// end-to-end suite (grabs of the screen).
#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>

namespace CellMarks {

enum class Mark { Playing, Paused, Broken };

inline bool shows(Mark mark, const QColor& c) {
    const int r = c.red();
    const int g = c.green();
    const int b = c.blue();
    switch (mark) {
    case Mark::Playing:
        return g > 190 && g - r > 60 && g - b > 60;
    case Mark::Paused:
        return r > 220 && g > 140 && g < 215 && b < 110;
    case Mark::Broken:
        return r > 200 && g < 120 && b < 110;
    }
    return false;
}

// Pixels of the mark's colour inside `area` of the image (all of it when empty).
inline int count(const QImage& image, Mark mark, QRect area = {}) {
    if (area.isEmpty()) {
        area = image.rect();
    }
    area &= image.rect();
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            found += shows(mark, image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return found;
}

// A mark is there once a few dozen pixels show it: the smallest, a 14-point
// triangle, covers about sixty.
inline bool has(const QImage& image, Mark mark, QRect area = {}) {
    return count(image, mark, area) >= 20;
}

// Pixels that differ between two pictures of the same place, by more than
// `tolerance` (of 255) in some channel.
inline int changedPixels(const QImage& before, const QImage& after, int tolerance = 0) {
    int changed = 0;
    for (int y = 0; y < std::min(before.height(), after.height()); ++y) {
        for (int x = 0; x < std::min(before.width(), after.width()); ++x) {
            const QRgb a = before.pixel(x, y);
            const QRgb b = after.pixel(x, y);
            const int most =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            changed += most > tolerance ? 1 : 0;
        }
    }
    return changed;
}

} // namespace CellMarks
