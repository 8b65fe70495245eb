// Cue cells playing, paused, fading out, stopped, unreadable and missing side
// by side, in edit and show mode on a dark and a light colour, drawn to the
// gallery at 1x and 2x.
#include "KivUI/WidgetRender.h"
#include "support/Gallery.h"
#include "window/WindowGalleryFixture.h"

#include <QPainter>

#include <fstream>
#include <string>
#include <vector>

TEST_F(WindowGallery, CueCellsPlayingPausedFadingStoppedBrokenAndMissingSideBySide) {
    openWindow();
    cart().setSize({5, 4});
    PondraWindow& window = *controller->window();
    window.resize(1100, 760);
    QApplication::processEvents();
    // Left to right: playing, paused, fading out, stopped, a file that cannot
    // be read, a missing file.
    std::vector<std::shared_ptr<AudioCue>> cues;
    const char* names[] = {"Thunder Crack", "Rain Ambience", "Wind Howl",
                           "Door Slam",     "Car Horn",      "Curtain Call"};
    for (std::size_t slot = 0; slot < 4; ++slot) {
        cues.push_back(placeCue(wav(std::string(names[slot]) + ".wav", 0.1f, 4.0), slot,
                                cart().defaultHotkeyForIndex(slot)));
    }
    const std::string junk = files.path("Car Horn.wav");
    std::ofstream(junk) << "RIFF not really a wave file at all";
    for (const std::string& path : {junk, files.path("Curtain Call.wav")}) {
        auto cue = AudioCue::initWithFile(path, device);
        cue->setHotkey(cart().defaultHotkeyForIndex(cues.size()));
        grid().addCue(cue, cues.size());
        cues.push_back(cue);
    }
    for (std::size_t slot = 0; slot < cues.size(); ++slot) {
        cues[slot]->setName(names[slot]);
    }
    cues[1]->setLoops(true);
    for (std::size_t slot : {0u, 1u, 2u}) {
        cues[slot]->triggerDown();
    }
    // 1.2 s of sound, then the progress timers.
    render(900);
    scheduler.advance(0.1);
    cues[1]->pause();
    cues[2]->panic();
    render(2);
    EXPECT_EQ(cues[2]->state(), CueState::Fading);

    // Rows: edit mode on a dark and on a light colour, then show mode, whose
    // cells are taller without the inspector.
    struct Row {
        bool show;
        const char* colour;
    };
    const Row rows[] = {{false, "blue"}, {false, "yellow"}, {true, "blue"}, {true, "yellow"}};
    constexpr int kGap = 8;
    const std::size_t perRow = cues.size();
    for (qreal ratio : {1.0, 2.0}) {
        std::vector<QImage> pictures;
        QSize sheetSize(0, kGap);
        for (const Row& row : rows) {
            if (row.show) {
                controller->setShowMode();
            } else {
                controller->setEditMode();
            }
            for (const auto& cue : cues) {
                cue->setColor(PondraColor::colorWithName(row.colour));
            }
            QApplication::processEvents();
            const QSize size = cell(0).size();
            sheetSize = QSize(static_cast<int>(perRow) * (size.width() + kGap) + kGap,
                              sheetSize.height() + size.height() + kGap);
            for (std::size_t slot = 0; slot < cues.size(); ++slot) {
                pictures.push_back(renderWidget(cell(slot), ratio));
            }
        }
        QImage sheet(sheetSize * ratio, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(ratio);
        sheet.fill(QColor::fromRgbF(0.16, 0.15, 0.15));
        QPainter painter(&sheet);
        qreal y = kGap;
        for (std::size_t k = 0; k < pictures.size(); ++k) {
            const QImage& picture = pictures[k];
            const QSizeF size = picture.deviceIndependentSize();
            painter.drawImage(QPointF(kGap + (k % perRow) * (size.width() + kGap), y), picture);
            if (k % perRow == perRow - 1) {
                y += size.height() + kGap;
            }
        }
        painter.end();
        const QString file = QStringLiteral("cells-states@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(sheet.save(galleryPath(file)));
    }
    controller->setEditMode();
}
