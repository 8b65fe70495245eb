// The log window with four cues fired, drawn to the gallery.
#include "model/PondraLogger.h"
#include "support/Gallery.h"
#include "window/workspace/LogController.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <chrono>
#include <memory>

namespace {

std::shared_ptr<PondraLogger> loggerAtNoon() {
    return std::make_shared<PondraLogger>(
        [] { return std::chrono::system_clock::time_point(std::chrono::hours(24 * 20000 + 12)); });
}

} // namespace

TEST(LogWindowGallery, TheLogWindowWithFourCuesFired) {
    auto logger = loggerAtNoon();
    for (const char* line : {"Preshow Music (preshow.wav)", "Welcome Announcement (welcome.wav)",
                             "Thunder Crack (thunder.wav)", "Door Slam (door.wav)"}) {
        logger->appendLog(line);
    }
    LogController window;
    window.setLogger(logger);
    window.show();
    QApplication::processEvents();
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    window.render(&image);
    EXPECT_TRUE(image.save(galleryPath(QStringLiteral("log-window.png"))));
}
