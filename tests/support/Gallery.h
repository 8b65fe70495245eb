#pragma once

// Pictures for people judging the look, written under the build tree's
// gallery folder (PONDRA_GALLERY_DIR, set by the test or gallery target).
#include "KivUI/drawing/KivColors.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

inline QString galleryPath(const QString& file) {
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    return QStringLiteral(PONDRA_GALLERY_DIR "/") + file;
}

// `widget` at 1x and 2x as "<name>@1x.png" and "<name>@2x.png".
inline void saveToGallery(QWidget& widget, const QString& name) {
    for (qreal ratio : {1.0, 2.0}) {
        QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        widget.render(&image);
        const QString file = QStringLiteral("%1@%2x.png").arg(name).arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}

// A sheet at `ratio` on the window's ground, for pictures drawn piece by piece.
inline QImage galleryCanvas(QSize size, qreal ratio) {
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(KivColors::windowBackground());
    return image;
}

// A grey label on such a sheet.
inline void galleryCaption(QPainter& painter, const QRectF& rect, const QString& text,
                           int alignment, qreal white = 0.62) {
    painter.setPen(KivColors::grey(white));
    painter.drawText(rect, alignment, text);
}
