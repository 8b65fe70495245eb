#include "window/grid/CueCellLayout.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

QFont cellFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

constexpr qreal kBottomMargin = 6;
// A first line narrower than this leaves the name to the line below.
constexpr qreal kNarrowestLine = 40;
constexpr qreal kGap = 6;

} // namespace

QFont CueCellLayout::nameFont(bool locked) {
    return cellFont(locked ? 14 : 13);
}

QFont CueCellLayout::timeFont(bool locked) {
    return cellFont(locked ? 18 : 13);
}

CueCellLayout CueCellLayout::of(const QRectF& r, const Shows& shows) {
    CueCellLayout layout;
    layout.cell = r;
    const qreal rowCentre = r.top() + kTopRowTop + kTopRowHeight / 2;
    const qreal rowBottom = r.top() + kTopRowTop + kTopRowHeight;
    layout.playButton = QRectF(r.left() + 6, r.top() + kTopRowTop, 24, 24);

    // What the name's first line must keep clear of, on either side.
    qreal left = r.left() + 4;
    qreal right = r.right() - 8;
    if (shows.locked) {
        if (shows.hotkey) {
            layout.hotkey = QRectF(r.left() + 10, r.top() + 4, shows.hotkeyWidth, 30);
            left = layout.hotkey.right();
        }
    } else {
        left = layout.playButton.right();
        if (shows.hotkey) {
            layout.hotkey = QRectF(r.right() - 28, r.top() + 8, 20, 20);
            right = layout.hotkey.left();
        }
    }
    const qreal statusX =
        shows.locked ? std::max(r.left() + 38, left + kGap) : layout.playButton.right() + 10;
    layout.status = QRectF(statusX, rowCentre - kStatusSize / 2, kStatusSize, kStatusSize);
    if (shows.status) {
        left = layout.status.right();
    }
    const qreal firstMarkX = r.right() - 24 - (!shows.locked && shows.hotkey ? 30 : 0);
    layout.firstMark = QRectF(firstMarkX, rowCentre - kMarkSize / 2, kMarkSize, kMarkSize);
    if (shows.marks > 0) {
        right = firstMarkX - (shows.marks - 1) * kMarkStep;
    }

    layout.progress = QRectF(r.left() + 8, r.bottom() - kBottomMargin - kProgressHeight,
                             r.width() - 16, kProgressHeight);
    const qreal line = QFontMetricsF(nameFont(shows.locked)).height();
    const qreal pitch = line;
    const qreal timesHeight = std::ceil(QFontMetricsF(timeFont(shows.locked)).height());
    const QRectF times(r.left() + 9, layout.progress.top() - 1 - timesHeight, r.width() - 18,
                       timesHeight);
    const QRectF band(r.left() + 8, rowBottom + 2, r.width() - 16, times.top() - 2 - rowBottom - 2);
    if (band.height() >= line + pitch) {
        layout.height = Height::Tall;
        layout.times = times;
        layout.nameLine = QRectF(band.left(), band.center().y() - line / 2, band.width(), line);
        layout.nameFirstOfTwo =
            QRectF(band.left(), band.center().y() - (line + pitch) / 2, band.width(), line);
        layout.nameSecondOfTwo = layout.nameFirstOfTwo.translated(0, pitch);
        return layout;
    }
    if (shows.timeInTopRow && times.top() < rowBottom) {
        right -= kTopRowTimeWidth + kGap;
        layout.times =
            QRectF(right + kGap, rowCentre - timesHeight / 2, kTopRowTimeWidth, timesHeight);
    }
    const QRectF first(left + kGap, rowCentre - line / 2, right - kGap - (left + kGap), line);
    const QRectF second(r.left() + 8, first.top() + pitch, r.width() - 16, line);
    const bool tiny = times.top() < rowBottom;
    layout.height = tiny ? Height::Tiny : Height::Short;
    if (!tiny) {
        layout.times = times;
    }
    // Without times the second line may reach down to the progress bar.
    const bool roomBelow = second.bottom() <= (tiny ? layout.progress.top() : times.top() + 1);
    if (first.width() < kNarrowestLine && roomBelow) {
        layout.nameLine = second;
        return layout;
    }
    layout.nameLine = first;
    if (roomBelow) {
        layout.nameFirstOfTwo = first;
        layout.nameSecondOfTwo = second;
    }
    return layout;
}
