// A cell's toggles with undo, its export and import, and its menus.
#include "KivUI/WidgetRender.h"
#include "model/PondraColor.h"
#include "support/FifoOpening.h"
#include "support/GuiWatchdog.h"
#include "window/WindowFixture.h"
#include "window/grid/CueCellController.h"
#include "window/grid/CueCellView.h"
#include "window/grid/CueNameLines.h"
#include "window/grid/CueTextColors.h"
#include "window/grid/GridView.h"

#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetricsF>
#include <QMenu>
#include <QPaintEvent>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <tuple>

namespace {

QByteArray contents(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a widget paints, collected from its paint events.
class PaintedRegion : public QObject {
public:
    explicit PaintedRegion(QWidget& widget)
        : _widget(widget) {
        widget.installEventFilter(this);
    }
    ~PaintedRegion() override { _widget.removeEventFilter(this); }

    // What the widget paints of the updates asked for so far.
    QRegion next() {
        _region = {};
        QElapsedTimer waited;
        waited.start();
        while (_region.isEmpty() && waited.elapsed() < 1000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return _region;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            _region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QWidget& _widget;
    QRegion _region;
};

} // namespace

using namespace std::chrono_literals;

TEST_F(WindowFixture, NamesOfMegabytesAreDrawnWithoutFreezingTheWindow) {
    openWindow();
    cart().setSize({2, 2});
    const std::string file = wav("a.wav", 0.1f);
    std::vector<std::shared_ptr<AudioCue>> cues;
    for (std::size_t slot = 0; slot < 4; ++slot) {
        cues.push_back(AudioCue::initWithFile(file, device));
        grid().addCue(cues.back(), slot);
    }
    // The first drawing loads the fonts: that is not what is measured.
    renderWidget(*grid().gridView());
    for (std::size_t slot = 0; slot < 4; ++slot) {
        cues[slot]->setName("Cue" + std::to_string(slot) + std::string(4 << 20, 'w') + "End");
    }
    GuiWatchdog watchdog;
    const QImage drawn = renderWidget(*grid().gridView());
    EXPECT_LT(watchdog.longestStall(), GuiWatchdog::kFreeze);
    EXPECT_FALSE(drawn.isNull());
}

TEST_F(WindowFixture, TogglingLoopTwiceAndUndoingOnceLeavesItOnUnderItsName) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.1f), 0);
    UndoManager& undo = workspace->undoManager();
    undo.endTurn();
    CueCellController& cell0 = cell(0).controller();
    cell0.toggleLoop();
    undo.endTurn();
    EXPECT_TRUE(cue->loops());
    cell0.toggleLoop();
    undo.endTurn();
    EXPECT_FALSE(cue->loops());
    EXPECT_EQ(undo.undoActionName(), "Looping");
    ASSERT_TRUE(undo.undo());
    EXPECT_TRUE(cue->loops());
    ASSERT_TRUE(undo.redo());
    EXPECT_FALSE(cue->loops());

    for (auto [toggle, name] : {std::pair{&CueCellController::toggleHold, "Hold"},
                                std::pair{&CueCellController::toggleSolo, "Solo"},
                                std::pair{&CueCellController::toggleDucking, "Ducking"}}) {
        (cell(0).controller().*toggle)();
        undo.endTurn();
        EXPECT_EQ(undo.undoActionName(), name);
    }
    EXPECT_TRUE(cue->hold() && cue->solo() && cue->ducking());
}

TEST_F(WindowFixture, AnExportCopiesTheMediaAndAFailedOneKeepsTheOldFileAndAlerts) {
    openWindow();
    const std::string source = wav("a.wav", 0.1f);
    auto cue = placeCue(source, 0);
    const std::string target = files.path("exported.wav");
    prompts.saveAnswers.push_back(QString::fromStdString(target));
    cell(0).controller().exportFile();
    EXPECT_EQ(contents(target), contents(source));
    EXPECT_TRUE(prompts.alerts.empty());

    std::ofstream(files.path("old.wav")) << "old";
    cue->updateFile(files.path("vanished.wav"));
    prompts.saveAnswers.push_back(QString::fromStdString(files.path("old.wav")));
    cell(0).controller().exportFile();
    EXPECT_EQ(contents(files.path("old.wav")), QByteArray("old"));
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_TRUE(prompts.alerts[0].messageText.contains(QStringLiteral("vanished.wav")));

    // A FIFO in the media's place is refused at once, never waited on.
    const std::string fifo = files.path("fifo.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cue->updateFile(fifo);
    prompts.saveAnswers.push_back(QString::fromStdString(files.path("old.wav")));
    EXPECT_TRUE(returnsWithoutAWriter(fifo, [&] { cell(0).controller().exportFile(); }));
    EXPECT_EQ(contents(files.path("old.wav")), QByteArray("old"));
    ASSERT_EQ(prompts.alerts.size(), 2u);
    EXPECT_EQ(prompts.alerts[1].informativeText, QStringLiteral("It is not a regular file."));
}

TEST_F(WindowFixture, AnImportIntoACellReplacesItsCueWithoutDefaultTriggers) {
    openWindow();
    auto old = placeCue(wav("old.wav", 0.1f), 2);
    old->setHotkey("K");
    prompts.openAnswers.push_back({QString::fromStdString(wav("new.wav", 0.1f))});
    cell(2).controller().importFile();
    QApplication::processEvents();
    waitForImport();
    ASSERT_TRUE(cart().cueAtIndex(2));
    EXPECT_EQ(cart().cueAtIndex(2)->name(), "new");
    EXPECT_EQ(cart().cueAtIndex(2)->hotkey(), "K");
    // The panel shows the audio files the readers take, in any letter case.
    ASSERT_EQ(prompts.openPanels.size(), 1u);
    ASSERT_FALSE(prompts.openPanels[0].nameFilters.isEmpty());
    const QString audio = prompts.openPanels[0].nameFilters.front();
    const QStringList patterns =
        audio.mid(audio.indexOf('(') + 1).chopped(1).split(' ', Qt::SkipEmptyParts);
    for (const char* name :
         {"a.wav", "b.AIFF", "c.flac", "d.ogg", "e.opus", "f.mp3", "g.m4a", "h.caf", "i.mov"}) {
        EXPECT_TRUE(QDir::match(patterns, QString::fromLatin1(name))) << name;
    }
    for (const char* name : {"notes.txt", "cover.png", "Show.pondra", "a.wav.part"}) {
        EXPECT_FALSE(QDir::match(patterns, QString::fromLatin1(name))) << name;
    }

    // An empty cell gets no default hot key from an import.
    prompts.openAnswers.push_back({QString::fromStdString(wav("other.wav", 0.1f))});
    cell(9).controller().importFile();
    QApplication::processEvents();
    waitForImport();
    ASSERT_TRUE(cart().cueAtIndex(9));
    EXPECT_EQ(cart().cueAtIndex(9)->hotkey(), "");
}

TEST_F(WindowFixture, TheMenuOfACueOffersItsTogglesAndAnEmptyCellOnlyAnImport) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.1f), 0);
    cue->setHold(true);
    auto menu = cell(0).controller().makeContextMenu();
    QStringList titles;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            titles << action->text() + (action->isChecked() ? QStringLiteral("*") : QString());
        }
    }
    EXPECT_EQ(titles,
              (QStringList{QStringLiteral("Loop"), QStringLiteral("Hold*"), QStringLiteral("Solo"),
                           QStringLiteral("Ducking"), QStringLiteral("Import File..."),
                           QStringLiteral("Export File...")}));
    EXPECT_EQ(cell(1).controller().makeContextMenu()->actions().size(), 1);
}

TEST(CueTextColors, EveryPaletteColourTakesTextThatReadsWhereverTheTextLies) {
    EXPECT_NEAR(CueTextColors::contrast(Qt::black, Qt::white), 21.0, 1e-9);
    for (const std::string& name : PondraColor::colors()) {
        const PondraColor color = PondraColor::colorWithName(name);
        // Bands of a line's height, from the top of a cell to its bottom.
        for (double top = 0; top <= 0.8; top += 0.05) {
            const CueTextColors colors = CueTextColors::over(color, top, top + 0.2);
            EXPECT_GE(colors.lowestContrast(color, top, top + 0.2), CueTextColors::kMinimumContrast)
                << name << " from " << top;
        }
    }
    // White where the blue darkens, black where it is light, and white on a
    // backing where it runs through the middle; black on orange.
    const auto blue = [](double top) {
        return CueTextColors::over(PondraColor::blueColor(), top, top + 0.2);
    };
    EXPECT_EQ(blue(0.8).text.red(), 255);
    EXPECT_FALSE(blue(0.8).backing.isValid());
    EXPECT_EQ(blue(0.0).text.red(), 0);
    EXPECT_EQ(blue(0.55).text.red(), 255);
    ASSERT_TRUE(blue(0.55).backing.isValid());
    EXPECT_LT(blue(0.55).backing.alphaF(), 0.5);
    EXPECT_EQ(CueTextColors::over(PondraColor::orangeColor(), 0.4, 0.6).text.red(), 0);
    EXPECT_EQ(CueTextColors::along(PondraColor::blueColor(), 1.0),
              QColor::fromRgbF(0.282f, 0.416f, 0.553f));
}

namespace {

// Pixels of `band` that stand out from the cell's ground at `groundX` on the
// same line: text, icons or bars.
int markedPixels(const QImage& image, const QRect& band, int groundX) {
    int marked = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        const QColor ground = image.pixelColor(groundX, y);
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - ground.red()) +
                                 std::abs(c.green() - ground.green()) +
                                 std::abs(c.blue() - ground.blue());
            marked += distance > 90 ? 1 : 0;
        }
    }
    return marked;
}

} // namespace

TEST_F(WindowFixture, AShortCellMovesTheNameIntoItsTopRowAndDropsTheTimes) {
    openWindow();
    placeCue(wav("a.wav", 0.1f), 0, "Q")->setName("Door Slam");
    CueCellView& view = cell(0);
    // The top row between the play button and the key badge, and the line
    // where the times sit in a tall cell.
    const QRect topRow(40, 10, 130, 16);

    view.resize(220, 120);
    const QImage tall = view.grab().toImage();
    EXPECT_EQ(markedPixels(tall, topRow, 35), 0);
    EXPECT_GT(markedPixels(tall, QRect(9, 120 - 12 - 21, 200, 14), 35), 0) << "the times";

    view.resize(220, 60);
    const QImage shortCell = view.grab().toImage();
    EXPECT_GT(markedPixels(shortCell, topRow, 35), 20) << "the name";
    // Between the top row and the progress bar, clear of the play button and
    // the badge, nothing is written.
    const QWidget* progress = view.findChild<QWidget*>(QStringLiteral("progress"));
    ASSERT_NE(progress, nullptr);
    const int below = 30;
    ASSERT_GT(progress->geometry().top(), below);
    EXPECT_EQ(
        markedPixels(shortCell, QRect(40, below, 140, progress->geometry().top() - below), 35), 0);
}

TEST_F(WindowFixture, AProgressTickRedrawsTheTimesOfTheCellButNotItsName) {
    openWindow();
    placeCue(wav("a.wav", 0.1f, 4.0), 0, "Q")->triggerDown();
    controller->setShowMode();
    CueCellView& view = cell(0);
    PaintedRegion painted(view);
    painted.next();

    // Each tick finds the cue further on.
    view.resize(220, 120);
    painted.next();
    render(400);
    scheduler.advance(0.1);
    QRegion tick = painted.next();
    // The time left sits right above the progress bar, the name in the middle.
    EXPECT_TRUE(tick.contains(QPoint(180, 120 - 5 - 12 - 14))) << "the time left";
    EXPECT_FALSE(tick.contains(QPoint(110, 60))) << "the name";

    // A short cell writes the time left in its top row.
    view.resize(220, 60);
    painted.next();
    render(400);
    scheduler.advance(0.1);
    tick = painted.next();
    EXPECT_TRUE(tick.contains(QPoint(180, 5 + 9))) << "the time left";
}

TEST_F(WindowFixture, ACellDrawsEveryChangeOfWhatItShowsAndItsFormerLookWhenThatComesBack) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.1f, 4.0), 0, "Q");
    cue->setName("Door Slam");
    CueCellView& view = cell(0);
    QApplication::processEvents();
    const QImage first = renderWidget(view);
    const PondraColor colour = cue->color();
    GridView& gridView = *grid().gridView();
    // More changes than a cell keeps pictures of, each made and taken back.
    const std::vector<std::tuple<const char*, std::function<void()>, std::function<void()>>>
        changes = {
            {"name", [&] { cue->setName("Door Slams"); }, [&] { cue->setName("Door Slam"); }},
            {"colour", [&] { cue->setColor(PondraColor::colorWithName("red")); },
             [&] { cue->setColor(colour); }},
            {"hot key", [&] { cue->setHotkey("W"); }, [&] { cue->setHotkey("Q"); }},
            {"hold", [&] { cue->setHold(true); }, [&] { cue->setHold(false); }},
            {"loop", [&] { cue->setLoops(true); }, [&] { cue->setLoops(false); }},
            {"solo", [&] { cue->setSolo(true); }, [&] { cue->setSolo(false); }},
            {"ducking", [&] { cue->setDucking(true); }, [&] { cue->setDucking(false); }},
            {"selection", [&] { gridView.setSelectedIndex(0); },
             [&] { gridView.setSelectedIndex(GridView::kNoSelection); }},
            {"show mode", [&] { view.setLocked(true); }, [&] { view.setLocked(false); }},
            {"size", [&] { view.resize(view.size() + QSize(10, 0)); },
             [&] { view.resize(view.size() - QSize(10, 0)); }},
        };
    for (const auto& [what, change, back] : changes) {
        change();
        EXPECT_NE(renderWidget(view), first) << what;
        back();
        EXPECT_EQ(renderWidget(view), first) << what;
    }

    // An empty slot under a drag of files lights up and shows its key.
    CueCellView& empty = cell(1);
    const QImage idle = renderWidget(empty);
    empty.setHighlighted(true);
    const QImage hovered = renderWidget(empty);
    EXPECT_NE(hovered, idle);
    gridView.setShowDefaultHotkeys(true);
    EXPECT_NE(renderWidget(empty), hovered);
    gridView.setShowDefaultHotkeys(false);
    empty.setHighlighted(false);
    EXPECT_EQ(renderWidget(empty), idle);
}

TEST(CueNameLines, ANameTakesASecondLineBeforeItIsCutAndKeepsItsEndWhenCut) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    font.setBold(true);
    const QFontMetricsF metrics(font);
    const qreal welcome = metrics.horizontalAdvance(QStringLiteral("Welcome"));
    const qreal whole = metrics.horizontalAdvance(QStringLiteral("Welcome Announcement"));
    // Room on one line: one line, the name whole.
    EXPECT_EQ(CueNameLines::wrap(QStringLiteral("Welcome Announcement"), font, {whole + 2, 200}),
              QStringList{QStringLiteral("Welcome Announcement")});
    // Broken between its words, each line within its width.
    EXPECT_EQ(CueNameLines::wrap(QStringLiteral("Welcome Announcement"), font, {welcome + 20, 200}),
              (QStringList{QStringLiteral("Welcome"), QStringLiteral("Announcement")}));
    // Too long for two lines: the last is cut in its middle, so the end shows.
    const QStringList cut = CueNameLines::wrap(
        QStringLiteral("Overture and Beginners Music for the Second Half, final chord"), font,
        {welcome + 20, 120});
    ASSERT_EQ(cut.size(), 2);
    EXPECT_TRUE(cut[1].contains(QChar(0x2026))) << cut[1].toStdString();
    EXPECT_TRUE(cut[1].endsWith(QStringLiteral("chord"))) << cut[1].toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut[1]), 120);
    // One line only: cut in its middle as before.
    const QStringList single =
        CueNameLines::wrap(QStringLiteral("Welcome Announcement"), font, {welcome + 20});
    ASSERT_EQ(single.size(), 1);
    EXPECT_TRUE(single[0].startsWith(QStringLiteral("We")));
    EXPECT_TRUE(single[0].endsWith(QStringLiteral("nt")));
    EXPECT_TRUE(CueNameLines::wrap(QString(), font, {100, 100}).isEmpty());
}
