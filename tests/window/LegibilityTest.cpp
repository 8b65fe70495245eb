// The window read from the desk in a dark booth: every kind of text on its
// ground at a contrast ratio of at least 4.5:1 (WCAG AA), measured from the
// pixels of the pictures that the gallery shows, at 1x and 2x; the selected
// tab told apart by its fill; a hidden cart that plays marked on its tab; a
// playing cell told from a stopped one at a glance.
#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "WindowGalleryFixture.h"
#include "support/CellMarks.h"
#include "support/Gallery.h"
#include "support/Outlet.h"
#include "support/TextContrast.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "window/grid/CueCellLayout.h"
#include "window/inspector/InspectorController.h"
#include "window/tabs/CartTabBar.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>

namespace {

constexpr double kReadable = 4.5;

// The window as the gallery draws it.
QImage picture(QWidget& window, qreal ratio) {
    QImage image((QSizeF(window.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);
    window.render(&image);
    return image;
}

// The box a text takes when drawn in `rect` of `widget` with `flags`, in
// the window's points, with a little of its ground around it; on a control,
// no further than the face of its bezel.
QRectF textBox(const QWidget& widget, const QWidget& window, const QFont& font, const QRectF& rect,
               int flags, const QString& text, const QRectF& face = {}) {
    QRectF box = QFontMetricsF(font).boundingRect(rect, flags, text).adjusted(-3, -2, 3, 2);
    if (!face.isEmpty()) {
        box &= face;
    }
    return box.translated(widget.mapTo(&window, QPoint()));
}

// Inside the light top edge and the dark bottom edge of a bezel.
QRectF faceOf(const QRectF& bezel) {
    return bezel.adjusted(3, 3, -3, -4);
}

// The lowest ratio read of each kind of text, for the record.
class Readings {
public:
    void expectReadable(const QImage& image, const QRectF& region, const std::string& kind,
                        const std::string& what) {
        const TextContrast::Reading reading = TextContrast::measure(image, region);
        const std::string where = kind + " \"" + what + "\" at " +
                                  std::to_string(static_cast<int>(image.devicePixelRatio())) + "x";
        EXPECT_GT(reading.ink, 4) << where << " shows no text";
        EXPECT_GE(reading.ratio, kReadable)
            << where << " text " << reading.textLuminance << " ground " << reading.groundLuminance
            << " in " << region.x() << "," << region.y() << " " << region.width() << "x"
            << region.height();
        auto [found, added] = _lowest.emplace(kind, reading.ratio);
        if (!added) {
            found->second = std::min(found->second, reading.ratio);
        }
    }
    void record() const {
        for (const auto& [kind, ratio] : _lowest) {
            ::testing::Test::RecordProperty("lowest contrast of " + kind, std::to_string(ratio));
        }
    }

private:
    std::map<std::string, double> _lowest;
};

} // namespace

TEST(TextContrast, ReadsTheRatioOfATextAndNotOfItsShadow) {
    // Known colours: grey 0.6 text (luminance 0.319) on grey 0.2 (0.0331).
    const double expected = TextContrast::ratio(TextContrast::luminance(KivColors::grey(0.6)),
                                                TextContrast::luminance(KivColors::grey(0.2)));
    for (qreal ratio : {1.0, 2.0}) {
        for (bool shadow : {false, true}) {
            const QImage image = renderImage(
                {120, 30}, ratio,
                [&](QPainter& p) {
                    QFont font(QStringLiteral("DejaVu Sans"));
                    font.setPixelSize(12);
                    font.setBold(true);
                    p.setFont(font);
                    if (shadow) {
                        p.setPen(Qt::black);
                        p.drawText(QRectF(0, 1, 120, 30), Qt::AlignCenter,
                                   QStringLiteral("Preshow"));
                    }
                    p.setPen(KivColors::grey(0.6));
                    p.drawText(QRectF(0, 0, 120, 30), Qt::AlignCenter, QStringLiteral("Preshow"));
                },
                KivColors::grey(0.2));
            const TextContrast::Reading reading = TextContrast::measure(image, {20, 4, 80, 22});
            EXPECT_NEAR(reading.ratio, expected, expected * 0.05) << ratio << "x " << shadow;
            EXPECT_GT(reading.ink, 50);
        }
    }
    // Dark text on a light ground reads the same way round.
    const QImage dark = renderImage(
        {60, 20}, 1.0, [](QPainter& p) { p.fillRect(QRectF(25, 5, 10, 10), KivColors::grey(0.1)); },
        KivColors::grey(0.9));
    EXPECT_NEAR(TextContrast::measure(dark, {20, 2, 20, 16}).ratio,
                TextContrast::ratio(TextContrast::luminance(KivColors::grey(0.1)),
                                    TextContrast::luminance(KivColors::grey(0.9))),
                0.05);
    // Nothing but ground.
    const QImage blank = renderImage(
        {30, 30}, 1.0, [](QPainter&) {}, KivColors::grey(0.3));
    EXPECT_EQ(TextContrast::measure(blank, {2, 2, 20, 20}).ink, 0);
}

namespace {

// Each tab's title, as the style centres it in the tab.
QRectF tabTitle(const TavTabBarCell& cell, const QWidget& window) {
    const QRectF frame = cell.frame();
    const QSizeF size = cell.attributedStringValue().size();
    const qreal drawn = std::min(frame.width() - 40, size.width());
    const QRectF title(frame.x() + (frame.width() - drawn) / 2,
                       frame.y() + (frame.height() - size.height()) / 2, drawn, size.height());
    return title.adjusted(-3, -2, 3, 2).translated(cell.controlView().mapTo(&window, QPoint()));
}

// The median luminance of a tab's ground, left of its title.
double tabGround(const QImage& image, const TavTabBarCell& cell, const QWidget& window) {
    const QRectF frame = cell.frame().translated(cell.controlView().mapTo(&window, QPoint()));
    return TextContrast::measure(image,
                                 QRectF(frame.left() + 4, frame.top() + 4, 12, frame.height() - 8))
        .groundLuminance;
}

} // namespace

TEST_F(WindowGallery, TheTabRowMarksAHiddenCartThatPlaysAndEveryLabelReads) {
    PondraWindow& window = showCarts({"Preshow", "Act One", "Interval"});
    // The first cart plays while the second is shown.
    GridController& preshow = *controller->controllerAtTab(0);
    auto cue = AudioCue::initWithFile(wav("Walk-in Music.wav", 0.1f, 3.0), device);
    preshow.addCue(cue, 0);
    byHand(*cue);
    cue->triggerDown();
    render(100);
    // No tab under the mouse, whatever an earlier case left there.
    TavTabBarControl& bar = *window.tabs()->tabBar();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&bar, &leave);
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-tabs-playing"));

    ASSERT_EQ(bar.cells().size(), 3u);
    Readings readings;
    const auto readRow = [&](const std::string& when) {
        for (qreal ratio : {1.0, 2.0}) {
            const QImage image = picture(window, ratio);
            const std::string at = " at " + std::to_string(static_cast<int>(ratio)) + "x" + when;
            for (const auto& cell : bar.cells()) {
                readings.expectReadable(image, tabTitle(*cell, window), "tab label",
                                        cell->stringValue().toStdString() + when);
            }
            // The selected tab is told apart by its ground, not by its label alone.
            const double selected = tabGround(image, *bar.cells()[1], window);
            for (std::size_t other : {0u, 2u}) {
                EXPECT_GE(
                    TextContrast::ratio(selected, tabGround(image, *bar.cells()[other], window)),
                    1.2)
                    << "tab " << other << at;
            }
            // The hidden playing cart shows it in the playing colour; the others do not.
            for (std::size_t tab = 0; tab < 3; ++tab) {
                const QRectF frame =
                    bar.cells()[tab]->frame().translated(bar.mapTo(&window, QPoint()));
                const QRect pixels((frame.topLeft() * ratio).toPoint(),
                                   (frame.size() * ratio).toSize());
                EXPECT_EQ(CellMarks::has(image, CellMarks::Mark::Playing, pixels), tab == 0)
                    << "tab " << tab << at;
            }
        }
    };
    readRow("");
    // In a window that is not the active one the labels are dimmer, and all
    // of it still reads.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::processEvents();
    ASSERT_FALSE(bar.isInMainWindow());
    readRow(" (inactive)");
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();

    // Stopped, the mark goes.
    cue->stop();
    render(100);
    QApplication::processEvents();
    const QImage stopped = picture(window, 1.0);
    const QRectF first = bar.cells()[0]->frame().translated(bar.mapTo(&window, QPoint()));
    EXPECT_FALSE(CellMarks::has(stopped, CellMarks::Mark::Playing, first.toAlignedRect()));
    readings.record();
}

TEST_F(WindowGallery, TheInspectorsLabelsAndTheTransportBarRead) {
    PondraWindow& window = showCarts({"Preshow", "Act One"});
    Readings readings;
    // No cue selected: the inspector says so.
    InspectorController& inspector = *controller->inspectorController();
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = picture(window, ratio);
        const QLabel& none = *outlet<QLabel>(&inspector, "noCueLabel");
        ASSERT_TRUE(none.isVisible());
        readings.expectReadable(image,
                                textBox(none, window, none.font(), none.contentsRect(),
                                        static_cast<int>(none.alignment()), none.text()),
                                "inspector label", none.text().toStdString());
    }
    grid().gridView()->setSelectedIndex(5);
    QApplication::processEvents();
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = picture(window, ratio);
        int labels = 0;
        for (const QLabel* label : window.inspectorPane()->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(&window) || label->text().isEmpty()) {
                continue;
            }
            ++labels;
            readings.expectReadable(image,
                                    textBox(*label, window, label->font(), label->contentsRect(),
                                            static_cast<int>(label->alignment()), label->text()),
                                    "inspector label", label->text().toStdString());
        }
        EXPECT_GE(labels, 8) << "Name, Hot key, MIDI, Color, Volume, Output, Start, End, Effects";
        for (const VornCheckBox* box : window.inspectorPane()->findChildren<VornCheckBox*>()) {
            const QRectF title(box->imageRect().right() + 4, 0,
                               box->width() - box->imageRect().right() - 4, box->height());
            readings.expectReadable(image,
                                    textBox(*box, window, box->font(), title,
                                            Qt::AlignLeft | Qt::AlignVCenter, box->text()),
                                    "inspector label", box->text().toStdString());
        }

        // The transport bar: the mode switch, the transport buttons' titles,
        // the master volume's label and the output.
        QWidget& bar = *outlet<QWidget>(&window, "buttonsContainer")->parentWidget();
        for (const VornButton* button : bar.findChildren<VornButton*>()) {
            if (!button->isVisibleTo(&window) || button->text().isEmpty()) {
                continue;
            }
            readings.expectReadable(image,
                                    textBox(*button, window, button->font(), button->bezelRect(),
                                            Qt::AlignCenter, button->text(),
                                            faceOf(button->bezelRect())),
                                    "transport bar", button->text().toStdString());
        }
        for (const QLabel* label : bar.findChildren<QLabel*>()) {
            readings.expectReadable(image,
                                    textBox(*label, window, label->font(), label->contentsRect(),
                                            static_cast<int>(label->alignment()), label->text()),
                                    "transport bar", label->text().toStdString());
        }
        const VornPopUpButton& outputs = *window.outputs();
        readings.expectReadable(image,
                                textBox(outputs, window, outputs.font(),
                                        outputs.bezelRect().adjusted(9, 0, -24, -1),
                                        Qt::AlignLeft | Qt::AlignVCenter, outputs.currentText(),
                                        faceOf(outputs.bezelRect())),
                                "transport bar", outputs.currentText().toStdString());
    }
    readings.record();
}

namespace {

// A cell as it shows on the window's ground.
QImage onWindowGround(QWidget& cell, qreal ratio) {
    QImage image((QSizeF(cell.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(KivColors::windowBackground());
    cell.render(&image);
    return image;
}

// Where a cell's name line or time is drawn, in the window's points, with a
// little of its ground around it.
QRectF cellTextRegion(const CueCellView& cell, const QWidget& window,
                      const CueCellView::CellText& text) {
    return textBox(cell, window, text.font, text.box, text.alignment, text.text);
}

} // namespace

class CartOfEveryState : public WindowGallery {
protected:
    // The default window with two carts, so the tab row shows; the shown
    // cart holds cues stopped, playing, paused, fading, unreadable and
    // missing, some with every state mark on.
    PondraWindow& open() {
        openWindowOfTwoCarts();
        PondraWindow& window = *controller->window();
        window.resize(960, 700);
        QApplication::setActiveWindow(&window);
        const char* names[] = {"Preshow Music",      "Welcome Announcement",
                               "Thunder Crack",      "Rain Ambience (long loop)",
                               "Act One Underscore", "Door Slam"};
        for (std::size_t slot = 0; slot < 6; ++slot) {
            cues.push_back(placeCue(wav(std::string(names[slot]) + ".wav", 0.1f, 4.0), slot,
                                    cart().defaultHotkeyForIndex(slot)));
            cues.back()->setName(names[slot]);
        }
        const std::string junk = files.path("Car Horn.wav");
        std::ofstream(junk) << "RIFF not really a wave file at all";
        for (const std::string& path : {junk, files.path("Curtain Call.wav")}) {
            auto cue = AudioCue::initWithFile(path, device);
            cue->setHotkey(cart().defaultHotkeyForIndex(cues.size()));
            cue->setName(path == junk ? "Car Horn" : "Curtain Call");
            grid().addCue(cue, cues.size());
            cues.push_back(cue);
        }
        cues[0]->setLoops(true);
        cues[3]->setLoops(true);
        cues[3]->setHold(true);
        for (std::size_t slot : {1u, 2u, 3u, 5u}) {
            cues[slot]->triggerDown();
        }
        // Solo once the others play, which it would have stopped.
        cues[3]->setSolo(true);
        // 1.2 s of sound, then the progress timers.
        render(900);
        scheduler.advance(0.1);
        cues[2]->pause();
        cues[3]->panic();
        render(2);
        QApplication::processEvents();
        EXPECT_EQ(cues[1]->state(), CueState::Playing);
        EXPECT_EQ(cues[2]->state(), CueState::Paused);
        EXPECT_EQ(cues[3]->state(), CueState::Fading);
        EXPECT_EQ(cues[6]->state(), CueState::Broken);
        EXPECT_EQ(cues[7]->state(), CueState::Broken);
        return window;
    }
    void colour(const std::string& name) {
        for (const auto& cue : cues) {
            cue->setColor(PondraColor::colorWithName(name));
        }
        QApplication::processEvents();
    }

    std::vector<std::shared_ptr<AudioCue>> cues;
};

TEST_F(CartOfEveryState, NamesAndTimesReadInEveryColourAndMode) {
    PondraWindow& window = open();
    const char* shown[] = {"blue", "green",  "yellow",    "purple",
                           "red",  "orange", "lightblue", "default"};
    for (std::size_t slot = 0; slot < cues.size(); ++slot) {
        cues[slot]->setColor(PondraColor::colorWithName(shown[slot]));
    }
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-cart-states"));
    controller->setShowMode();
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-cart-states-show"));

    Readings readings;
    for (bool show : {false, true}) {
        if (show) {
            controller->setShowMode();
        } else {
            controller->setEditMode();
        }
        for (const std::string& name : PondraColor::colors()) {
            colour(name);
            for (qreal ratio : {1.0, 2.0}) {
                const QImage image = picture(window, ratio);
                for (std::size_t slot = 0; slot < cues.size(); ++slot) {
                    const CueCellView& view = cell(slot);
                    const std::vector<CueCellView::CellText> texts = view.texts();
                    // Edit mode: every cell has its times, but an unreadable one.
                    const auto times = std::count_if(texts.begin(), texts.end(), [](auto& text) {
                        return text.kind == CueCellView::CellText::Kind::Time;
                    });
                    if (!show) {
                        EXPECT_EQ(times, cues[slot]->state() == CueState::Broken ? 0 : 2)
                            << "slot " << slot;
                    }
                    for (const CueCellView::CellText& text : texts) {
                        const bool isName = text.kind == CueCellView::CellText::Kind::Name;
                        readings.expectReadable(image, cellTextRegion(view, window, text),
                                                isName ? "cell name" : "cell time",
                                                text.text.toStdString() + " on " + name +
                                                    (show ? " (show)" : ""));
                    }
                }
            }
        }
    }
    readings.record();
}

TEST_F(CartOfEveryState, APlayingCellChangesAFifthOfItsPixelsAndItsTimeLeftIsAsLargeAsItsName) {
    open();
    colour("blue");
    // Act One Underscore, stopped, then playing 1.2 s in.
    for (bool show : {false, true}) {
        if (show) {
            controller->setShowMode();
        } else {
            controller->setEditMode();
        }
        CueCellView& view = cell(4);
        for (qreal ratio : {1.0, 2.0}) {
            cues[4]->hardStop();
            render(2);
            QApplication::processEvents();
            const QImage stopped = onWindowGround(view, ratio);
            cues[4]->triggerDown();
            render(900);
            scheduler.advance(0.1);
            QApplication::processEvents();
            const QImage playing = onWindowGround(view, ratio);
            const double share =
                static_cast<double>(CellMarks::changedPixels(stopped, playing, 16)) /
                (stopped.width() * stopped.height());
            EXPECT_GE(share, 0.2) << (show ? "show" : "edit") << " mode at " << ratio << "x";
            RecordProperty(std::string("share of a cell changed by playing, ") +
                               (show ? "show" : "edit") + " mode at " +
                               std::to_string(static_cast<int>(ratio)) + "x",
                           std::to_string(share));
            const auto texts = view.texts();
            const auto left = std::find_if(texts.begin(), texts.end(), [&](auto& text) {
                return text.kind == CueCellView::CellText::Kind::Time &&
                       text.text == view.remainingText();
            });
            ASSERT_NE(left, texts.end());
            EXPECT_GE(left->font.pixelSize(), CueCellLayout::nameFont(show).pixelSize());
            EXPECT_TRUE(left->font.bold());
        }
    }
}
