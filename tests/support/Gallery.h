#pragma once

// Pictures for people judging the look, written under the build tree's
// gallery folder (PONDRA_GALLERY_DIR, set by the test target).
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
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
