#include "KivUI/drawing/KivNamedImages.h"

#include "KivUI/drawing/KivImageTable.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return count;
}

} // namespace

TEST(KivNamedImagesTest, EveryNamedImageIsDrawnAtItsSizeForEachRatio) {
    for (auto* entry = KivImageTableBegin(); entry != KivImageTableEnd(); ++entry) {
        const QString name = QString::fromLatin1(entry->name);
        for (qreal ratio : {1.0, 2.0}) {
            const QImage image = KivNamedImages::named(name, ratio);
            ASSERT_FALSE(image.isNull()) << entry->name;
            EXPECT_EQ(image.deviceIndependentSize(), entry->size) << entry->name;
            EXPECT_EQ(image.size(), (entry->size * ratio).toSize()) << entry->name;
            EXPECT_GT(opaquePixels(image), 0) << entry->name << " is blank";
        }
        EXPECT_EQ(KivNamedImages::sizeOf(name), entry->size);
    }
}

TEST(KivNamedImagesTest, TheImagesTheWindowsNameAreAllThere) {
    for (const char* name : {"vorn_button_left",
                             "vorn_popup_fill",
                             "vorn_pulldown_small_right",
                             "vorn_checkbox_on",
                             "vorn_well_center",
                             "vorn_slider_knob.png",
                             "vorn_track_filled_right_small.png",
                             "vorn_splitter_handle",
                             "progressbar_fill.png",
                             "TabClose_Front",
                             "TabClose_Dirty_Rollover",
                             "TabNewMetalPressed",
                             "overflowImage",
                             "overflowImagePressed",
                             "pi",
                             "play_cue.png",
                             "stop_cue.png",
                             "previewStart",
                             "previewStop",
                             "bottom_pattern.png",
                             "pause_button_normal",
                             "pause_button_highlighted",
                             "ducking_button_normal",
                             "ducking_button_highlighted",
                             "status_spinner"}) {
        EXPECT_FALSE(KivNamedImages::named(QString::fromLatin1(name)).isNull()) << name;
    }
    EXPECT_TRUE(KivNamedImages::named(QStringLiteral("no_such_image")).isNull());
}

TEST(KivNamedImagesTest, ImagesAreCachedUntilTheirGeneratorIsReplaced) {
    const QString name = QStringLiteral("test_swatch");
    auto paint = [](QColor colour) {
        return [colour](QPainter& painter, const QSizeF& size) {
            painter.fillRect(QRectF(QPointF(), size), colour);
        };
    };
    KivNamedImages::registerGenerator(name, {4, 2}, paint(Qt::red));
    const QImage first = KivNamedImages::named(name, 2.0);
    EXPECT_EQ(first.size(), QSize(8, 4));
    EXPECT_EQ(first.cacheKey(), KivNamedImages::named(name, 2.0).cacheKey());
    EXPECT_NE(first.cacheKey(), KivNamedImages::named(name, 1.0).cacheKey());
    KivNamedImages::registerGenerator(name, {4, 2}, paint(Qt::blue));
    EXPECT_EQ(KivNamedImages::named(name, 2.0).pixelColor(1, 1), QColor(Qt::blue));
}

TEST(KivNamedImagesTest, AResourceOfTheNameWinsOverItsGenerator) {
    const QString name = QStringLiteral("test_overridden.png");
    KivNamedImages::registerGenerator(name, {10, 10}, [](QPainter& painter, const QSizeF& size) {
        painter.fillRect(QRectF(QPointF(), size), Qt::green);
    });
    const QImage image = KivNamedImages::named(name);
    EXPECT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::magenta));
    EXPECT_EQ(KivNamedImages::sizeOf(name), QSizeF(3, 2));
}
