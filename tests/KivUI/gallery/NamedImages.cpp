// Every named image of the widget kit on one sheet, drawn to the gallery at 1x
// and 2x.
#include "KivUI/drawing/KivImageTable.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "support/Gallery.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <vector>

TEST(WidgetKitGallery, EveryNamedImage) {
    constexpr int columns = 5;
    constexpr QSize cell(200, 84);
    std::vector<const KivImageEntry*> entries;
    for (auto* entry = KivImageTableBegin(); entry != KivImageTableEnd(); ++entry) {
        entries.push_back(entry);
    }
    const int rows = static_cast<int>((entries.size() + columns - 1) / columns);
    const QSize size(columns * cell.width() + 20, rows * cell.height() + 20);
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = galleryCanvas(size, ratio);
        QPainter painter(&image);
        QFont small = painter.font();
        small.setPointSizeF(7);
        painter.setFont(small);
        for (size_t i = 0; i < entries.size(); ++i) {
            const QPointF origin(10 + (i % columns) * cell.width(),
                                 10 + (i / columns) * cell.height());
            const QString name = QString::fromLatin1(entries[i]->name);
            QSizeF shown = entries[i]->size;
            // A strip of square frames (the spinner) shows its first frame.
            if (shown.height() >= 2 * shown.width()) {
                shown.setHeight(shown.width());
            }
            shown.setHeight(std::min<qreal>(shown.height(), 60));
            const QImage art = KivNamedImages::named(name, ratio);
            const QRectF source(QPointF(), shown * ratio);
            const QPointF at(origin.x() + (cell.width() - shown.width()) / 2,
                             origin.y() + (62 - shown.height()) / 2);
            painter.drawImage(QRectF(at, shown), art, source);
            galleryCaption(painter, QRectF(origin.x(), origin.y() + 64, cell.width(), 16), name,
                           Qt::AlignHCenter | Qt::AlignTop, 0.55);
        }
        painter.end();
        const QString file = QStringLiteral("images@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}
