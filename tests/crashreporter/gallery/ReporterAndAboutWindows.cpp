// The crash reporter, the feedback window and the About window with and
// without its credits, drawn to the gallery.
#include "KivUI/controls/VornButton.h"
#include "crashreporter/KivAboutController.h"
#include "crashreporter/ReporterFixture.h"
#include "support/Gallery.h"
#include "support/Outlet.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QUrl>

#include <utility>

namespace {

using CrashReporterGallery = ReporterFixture;

class AboutGallery : public ::testing::Test {
protected:
    AboutGallery() { QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0")); }

    // Links stay unopened.
    KivAboutController controller{[](const QUrl&) {}};
};

} // namespace

TEST_F(CrashReporterGallery, TheCrashReporterAndTheFeedbackWindow) {
    auto* crash = new ZorCrashReporter(
        QStringLiteral("Model:\t\tUnknown (Standard PC)\nCPU Speed:\t4x 2.40 GHz\nRAM:\t\t7936 "
                       "MBs\nProcess: Pondra [4242]\nDate: 2026-12-09 21:14:03 UTC\nSignal: "
                       "SIGSEGV (11)\n\nBacktrace:\n/usr/bin/pondra(+0x1c2f3e)[0x55d0c2a1ff3e]\n"
                       "/lib/x86_64-linux-gnu/libc.so.6(+0x3bfd0)[0x7f3a5c45bfd0]\n"),
        prompts, defaults);
    auto* feedback = new ZorCrashReporter(prompts, defaults);
    for (const auto& [window, file] :
         {std::pair{crash, "crash-reporter.png"}, std::pair{feedback, "feedback-window.png"}}) {
        window->show();
        QCoreApplication::processEvents();
        QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        window->render(&image);
        EXPECT_TRUE(image.save(galleryPath(QString::fromLatin1(file))));
        window->close();
    }
}

TEST_F(AboutGallery, TheAboutWindowAndItsCredits) {
    controller.showWindow();
    QWidget& window = *controller.window();
    for (const char* file : {"about-window.png", "about-window-credits.png"}) {
        QCoreApplication::processEvents();
        QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        window.render(&image);
        EXPECT_TRUE(image.save(galleryPath(QString::fromLatin1(file))));
        outlet<VornButton>(controller.window(), "toggleButton")->click();
    }
}
