// The road a user takes: audio files dropped on the grid, saved, reopened,
// and fired in show mode by hot key and MIDI note, all through the real
// window on the offscreen platform and an offline device.
#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/outline/KivTableView.h"
#include "WorkspaceWindowsFixture.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "audio/source/KivAudioSource.h"
#include "effecteditor/EffectEditor.h"
#include "effecteditor/EffectEditorPlacement.h"
#include "effecteditor/EffectGenericView.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"
#include "platform/effects/TestPlugins.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/CueCellView.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/grid/MediaImport.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <sndfile.h>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>

namespace {

constexpr std::uint32_t kCycle = 64;

class WorkspaceWindowEndToEnd : public WorkspaceWindowsFixture {
protected:
    ~WorkspaceWindowEndToEnd() override { cues.clear(); }

    // File i holds the level (i + 1) / 64 throughout, exact in float.
    static float levelOf(int i) { return static_cast<float>(i + 1) / 64.0f; }
    std::vector<std::string> sixteenWavs() {
        std::vector<std::string> paths;
        for (int i = 0; i < 16; ++i) {
            const std::string path = files.path("cue" + std::to_string(i) + ".wav");
            EXPECT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                    std::vector<float>(48000, levelOf(i)), 1,
                                                    48000));
            paths.push_back(path);
        }
        return paths;
    }

    // The first cue of the document closed and opened again from its package.
    std::shared_ptr<AudioCue> closeAndReopen(std::shared_ptr<Workspace>& document,
                                             const std::string& package) {
        EXPECT_TRUE(windows->closeDocument(*document));
        QCoreApplication::processEvents();
        document.reset();
        reopened = windows->openPackage(package);
        return reopened ? reopened->carts().front()->cueAtIndex(0) : nullptr;
    }
    std::shared_ptr<Workspace> reopened;

    // A steady 0.25 level, `frames` long, dropped on the first cell.
    std::shared_ptr<AudioCue> dropRain(Workspace& workspace, GridController& grid,
                                       std::size_t frames) {
        const std::string rain = files.path("Rain.wav");
        EXPECT_TRUE(AudioFixtures::writeSndfile(rain, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                std::vector<float>(frames, 0.25f), 1, 48000));
        dropOnCell(grid, {rain}, 0);
        return workspace.carts().front()->cueAtIndex(0);
    }

    void dropOnCell(GridController& grid, const std::vector<std::string>& paths, std::size_t slot) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data.setUrls(urls);
        // The drop goes where the drag entered, as on screen.
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(grid.gridView()->cellAt(slot), &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid.gridView()->cellAt(slot), &drop);
        if (MediaImport* import = grid.currentImport()) {
            QEventLoop loop;
            QObject::connect(import, &QObject::destroyed, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }

    // The cues' read-ahead runs only when the test renders.
    void everyCueByHand(const Workspace& workspace) {
        for (const auto& cart : workspace.carts()) {
            for (const auto& [index, cue] : cart->cues()) {
                cue->audioSource()->useManualBuffers();
                cues.push_back(cue);
            }
        }
    }
    std::size_t render(std::uint32_t cycles = 1) {
        const std::size_t first = capturedCycles();
        for (std::uint32_t c = 0; c < cycles; ++c) {
            for (const auto& cue : cues) {
                cue->audioSource()->tendBuffers();
            }
            hardware.backend->render(kCycle);
        }
        return first;
    }
    std::size_t capturedCycles() const {
        return hardware.backend->capturedOutput("card").size() / (kCycle * 2);
    }
    // Every frame of a cycle, both channels, holds `level`.
    void expectCycle(std::size_t cycle, float level) const {
        const std::vector<float>& output = hardware.backend->capturedOutput("card");
        ASSERT_LE((cycle + 1) * kCycle * 2, output.size());
        for (std::size_t i = cycle * kCycle * 2; i < (cycle + 1) * kCycle * 2; ++i) {
            ASSERT_FLOAT_EQ(output[i], level) << "cycle " << cycle << ", sample " << i;
        }
    }
    float firstFrameOfCycle(std::size_t cycle) const {
        return hardware.backend->capturedOutput("card").at(cycle * kCycle * 2);
    }

    void key(GridController& grid, QEvent::Type type, int qtKey, const QString& text) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, text);
        QCoreApplication::sendEvent(grid.gridView(), &event);
    }

    std::vector<std::shared_ptr<AudioCue>> cues;
};

} // namespace

TEST_F(WorkspaceWindowEndToEnd, DroppedSavedReopenedAndFiredByKeyAndNote) {
    // Build: sixteen files dropped on the first cell fill the 4 x 4 cart.
    auto untitled = windows->openUntitled();
    GridController& building = *windows->windowControllerOf(*untitled)->selectedController();
    dropOnCell(building, sixteenWavs(), 0);
    ASSERT_TRUE(prompts.alerts.empty()) << prompts.alerts.front().informativeText.toStdString();
    ASSERT_EQ(untitled->carts().front()->count(), 16u);

    // Save, close, reopen.
    const std::string package = files.path("show.pondra");
    prompts.saveAnswers.push_back(QString::fromStdString(package));
    windows->saveDocumentAs(*untitled);
    windows->documentController().finishSaving(*untitled);
    EXPECT_FALSE(untitled->isDocumentEdited());
    ASSERT_TRUE(windows->closeDocument(*untitled));
    QCoreApplication::processEvents();
    untitled.reset();
    ASSERT_TRUE(windows->documentController().documents().empty());

    auto show = windows->openPackage(package);
    ASSERT_TRUE(show);
    WorkspaceController& window = *windows->windowControllerOf(*show);
    GridController& grid = *window.selectedController();
    Cart& cart = *show->carts().front();
    ASSERT_EQ(cart.count(), 16u);
    everyCueByHand(*show);
    // Default hot keys and notes came with the drop and survived the package.
    EXPECT_EQ(cart.cueAtIndex(4)->hotkey(), "Q");
    EXPECT_EQ(cart.cueAtIndex(7)->midiNote(), 7);
    // Two cues on "A".
    cart.cueAtIndex(9)->setHotkey("A");

    window.setShowMode();
    ASSERT_TRUE(show->isLocked());
    render(2);

    // Q plays the cue at slot 4 on its press, keeps it playing past the
    // release, and stops it at the next press.
    key(grid, QEvent::KeyPress, Qt::Key_Q, QStringLiteral("q"));
    std::size_t first = render(4);
    EXPECT_TRUE(cart.cueAtIndex(4)->isPlaying());
    EXPECT_EQ(firstFrameOfCycle(first), levelOf(4));
    key(grid, QEvent::KeyRelease, Qt::Key_Q, QStringLiteral("q"));
    first = render(2);
    EXPECT_TRUE(cart.cueAtIndex(4)->isPlaying());
    EXPECT_EQ(firstFrameOfCycle(first + 1), levelOf(4));
    key(grid, QEvent::KeyPress, Qt::Key_Q, QStringLiteral("q"));
    key(grid, QEvent::KeyRelease, Qt::Key_Q, QStringLiteral("q"));
    first = render(4);
    EXPECT_FALSE(cart.cueAtIndex(4)->isPlaying());
    EXPECT_EQ(firstFrameOfCycle(first + 3), 0.0f);

    // Both cues of "A" start in one cycle: no cycle has one without the other.
    key(grid, QEvent::KeyPress, Qt::Key_A, QStringLiteral("a"));
    first = render(3);
    EXPECT_EQ(firstFrameOfCycle(first), levelOf(8) + levelOf(9));
    EXPECT_EQ(firstFrameOfCycle(first + 2), levelOf(8) + levelOf(9));

    // A note-on for cue 7 holds its cell pressed until the note-off.
    CueCellView& cell7 = *grid.gridView()->cellAt(7);
    application->takeMIDIMessages({{0x90, 1, 7, 100}});
    QCoreApplication::processEvents();
    EXPECT_TRUE(cell7.isPressed());
    render(1);
    EXPECT_TRUE(cart.cueAtIndex(7)->isPlaying());
    application->takeMIDIMessages({{0x80, 1, 7, 0}});
    QCoreApplication::processEvents();
    EXPECT_FALSE(cell7.isPressed());

    // "[" pauses every cue, "]" resumes them.
    key(grid, QEvent::KeyPress, Qt::Key_BracketLeft, QStringLiteral("["));
    EXPECT_TRUE(show->isPaused());
    EXPECT_TRUE(cart.cueAtIndex(8)->isPaused());
    key(grid, QEvent::KeyPress, Qt::Key_BracketRight, QStringLiteral("]"));
    EXPECT_FALSE(show->isPaused());
    EXPECT_FALSE(cart.cueAtIndex(8)->isPaused());
    EXPECT_TRUE(prompts.alerts.empty());
}

namespace {

// Typed into a field and ended with Return, as the user does.
void type(VornTextField& field, const QString& text) {
    field.selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(&field, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&field, &enter);
}

void drag(VornSlider& slider, std::initializer_list<int> xs) {
    const auto send = [&slider](QEvent::Type type, int x) {
        const QPointF at(x, slider.height() / 2.0);
        QMouseEvent event(type, at, slider.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&slider, &event);
    };
    send(QEvent::MouseButtonPress, *xs.begin());
    for (const int x : xs) {
        send(QEvent::MouseMove, x);
    }
    send(QEvent::MouseButtonRelease, *(xs.end() - 1));
}

QAction* effectItem(const CueInspectorController& inspector, const QString& maker,
                    const QString& title) {
    for (QAction* makerItem : inspector.effectsMenu()->actions()) {
        if (makerItem->text() == maker && makerItem->menu()) {
            for (QAction* item : makerItem->menu()->actions()) {
                if (item->text() == title) {
                    return item;
                }
            }
        }
    }
    return nullptr;
}

// Selects the window's first cell and adds the test gain to its cue from the
// inspector's menu, as a user does: the cue's new effect, none when none came.
KivEffect* addTestGain(WorkspaceController& window, const AudioCue& cue) {
    window.selectedController()->gridView()->setSelectedIndex(0);
    QAction* add = effectItem(window.inspectorController()->cueInspectorController(),
                              QStringLiteral("Pondra Tests"), QStringLiteral("Test Gain"));
    if (!add) {
        return nullptr;
    }
    add->trigger();
    return cue.effects().size() == 1 ? cue.effects().front().get() : nullptr;
}

} // namespace

TEST_F(WorkspaceWindowEndToEnd,
       ACueEditedInTheInspectorComesBackFromItsPackageAndUndoesToWhatItWas) {
    // The in-tree test plugins are the installed effects.
    setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld()));
    struct Uninstall {
        ~Uninstall() { setComponentCatalogue(nullptr); }
    } uninstall;

    auto untitled = windows->openUntitled();
    WorkspaceController& window = *windows->windowControllerOf(*untitled);
    GridController& grid = *window.selectedController();
    const std::shared_ptr<AudioCue> cue = dropRain(*untitled, grid, 96000);
    ASSERT_TRUE(cue);
    UndoManager& undo = untitled->undoManager();
    undo.endTurn();

    // Select it in the grid and edit it in the inspector.
    grid.gridView()->setSelectedIndex(0);
    CueInspectorController& inspector = window.inspectorController()->cueInspectorController();
    ASSERT_EQ(inspector.cue(), cue);
    VornSlider& slider = *inspector.volumeSlider();
    const float volume =
        static_cast<float>(slider.valueAt(QPointF(30, slider.height() / 2.0))) / 1000.0f;
    ASSERT_LT(volume, 0.5f);
    QAction* gain =
        effectItem(inspector, QStringLiteral("Pondra Tests"), QStringLiteral("Test Gain"));
    ASSERT_TRUE(gain);
    const std::vector<std::pair<std::function<void()>, std::string>> edits = {
        {[&] { type(*inspector.name(), QStringLiteral("Rain Storm")); }, "Change Name"},
        {[&] {
             drag(slider, {120, 80, 30});
         },
         "Change Cue Volume"},
        {[&] { type(*inspector.startTime(), QStringLiteral("0.25")); }, "Change Start Time"},
        {[&] { type(*inspector.endTime(), QStringLiteral("00:01.5")); }, "Change End Time"},
        {[&] { gain->trigger(); }, "Add Effect"},
    };
    for (const auto& [edit, undoName] : edits) {
        edit();
        undo.endTurn();
        EXPECT_EQ(undo.undoActionName(), undoName);
    }
    const auto edited = [&](const AudioCue& c) {
        EXPECT_EQ(c.name(), "Rain Storm");
        EXPECT_EQ(c.volume(), volume);
        EXPECT_DOUBLE_EQ(c.startTime(), 0.25);
        EXPECT_DOUBLE_EQ(c.endTime(), 1.5);
        ASSERT_EQ(c.effects().size(), 1u);
        EXPECT_EQ(c.effects().front()->name(), "Test Gain");
    };
    edited(*cue);

    const std::string package = files.path("edited.pondra");
    prompts.saveAnswers.push_back(QString::fromStdString(package));
    windows->saveDocumentAs(*untitled);
    windows->documentController().finishSaving(*untitled);
    ASSERT_FALSE(untitled->isDocumentEdited());

    // Undo all: the cue as it was dropped.
    for (std::size_t i = 0; i < edits.size(); ++i) {
        ASSERT_TRUE(undo.undo());
    }
    EXPECT_EQ(undo.undoActionName(), "Add Cue");
    EXPECT_EQ(cue->name(), "Rain");
    EXPECT_EQ(cue->volume(), 1.0f);
    EXPECT_DOUBLE_EQ(cue->startTime(), 0.0);
    EXPECT_DOUBLE_EQ(cue->endTime(), 2.0);
    EXPECT_TRUE(cue->effects().empty());
    EXPECT_EQ(inspector.name()->text(), QStringLiteral("Rain"));
    EXPECT_EQ(slider.value(), 1000);
    // Redo all: the saved state again, so the window closes without a question.
    while (undo.canRedo()) {
        ASSERT_TRUE(undo.redo());
    }
    edited(*cue);
    EXPECT_FALSE(untitled->isDocumentEdited());
    // Reopened: every value back.
    const auto back = closeAndReopen(untitled, package);
    ASSERT_TRUE(back);
    edited(*back);
    EXPECT_TRUE(prompts.alerts.empty());
}

namespace {

// The effect editors open as the program's do, for one test.
struct InstalledEffectEditors {
    explicit InstalledEffectEditors(KivPrompts& prompts) {
        setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld()));
        EffectEditor::install(prompts);
    }
    ~InstalledEffectEditors() {
        setEffectEditorFactory(nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        setComponentCatalogue(nullptr);
    }
};

QAction* menuItem(const QMenu& menu, const QString& submenu, const QString& title) {
    for (const QAction* item : menu.actions()) {
        if (item->text() == submenu && item->menu()) {
            for (QAction* inner : item->menu()->actions()) {
                if (inner->text() == title) {
                    return inner;
                }
            }
        }
    }
    return nullptr;
}

void doubleClickRow(KivTableView& table, int row) {
    QWidget& viewport = *table.viewport();
    const QPoint at = table.visualRect(table.model()->index(row, 0)).center();
    const auto send = [&viewport, at](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, viewport.mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&viewport, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

int openEffectEditors() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        count += dynamic_cast<EffectEditor*>(widget) && widget->isVisible() ? 1 : 0;
    }
    return count;
}

} // namespace

TEST_F(WorkspaceWindowEndToEnd, AnEffectAddedInTheInspectorIsEditedAndItsPresetComesBack) {
    InstalledEffectEditors editors(prompts);
    auto untitled = windows->openUntitled();
    WorkspaceController& window = *windows->windowControllerOf(*untitled);
    GridController& grid = *window.selectedController();
    const std::shared_ptr<AudioCue> cue = dropRain(*untitled, grid, 48000);
    ASSERT_TRUE(cue);

    // Added from the inspector's menu, the effect opens its editor.
    grid.gridView()->setSelectedIndex(0);
    CueInspectorController& inspector = window.inspectorController()->cueInspectorController();
    ASSERT_EQ(inspector.cue(), cue);
    QAction* add =
        effectItem(inspector, QStringLiteral("Pondra Tests"), QStringLiteral("Test Gain"));
    ASSERT_TRUE(add);
    add->trigger();
    ASSERT_EQ(cue->effects().size(), 1u);
    KivEffect& gain = *cue->effects().front();
    EffectEditor* editor = EffectEditor::of(gain);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), "Test Gain");

    // A double click on its row raises the same one editor.
    editor->hide();
    doubleClickRow(*inspector.effectsTable(), 0);
    EXPECT_EQ(EffectEditor::of(gain), editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(openEffectEditors(), 1);

    QAction* half =
        menuItem(*editor->presetsMenu(), QStringLiteral("Factory"), QStringLiteral("Half"));
    ASSERT_TRUE(half);
    half->trigger();
    const float halfGain = gain.valueForParameter(kGainPort);
    EXPECT_NEAR(halfGain, -6.0206f, 1e-3f);
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Half");

    const std::string package = files.path("preset.pondra");
    prompts.saveAnswers.push_back(QString::fromStdString(package));
    windows->saveDocumentAs(*untitled);
    windows->documentController().finishSaving(*untitled);
    ASSERT_FALSE(untitled->isDocumentEdited());
    const auto back = closeAndReopen(untitled, package);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->effects().size(), 1u);
    EXPECT_EQ(back->effects().front()->currentPresetName(), "Half");
    EXPECT_EQ(back->effects().front()->valueForParameter(kGainPort), halfGain);
    EXPECT_TRUE(prompts.alerts.empty());
}

TEST_F(WorkspaceWindowEndToEnd,
       TheGenericEditorChangesWhatAPlayingCueSoundsAndItsBypassStaysInStep) {
    InstalledEffectEditors editors(prompts);
    auto untitled = windows->openUntitled();
    WorkspaceController& window = *windows->windowControllerOf(*untitled);
    GridController& grid = *window.selectedController();
    const std::shared_ptr<AudioCue> cue = dropRain(*untitled, grid, 4 * 48000);
    ASSERT_TRUE(cue);
    // Before the effect is added: a new stream would close its editor.
    everyCueByHand(*untitled);
    KivEffect* added = addTestGain(window, *cue);
    ASSERT_NE(added, nullptr);
    KivEffect& gain = *added;
    EffectEditor* editor = EffectEditor::of(gain);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->genericView(), nullptr);
    auto* slider = qobject_cast<VornSlider*>(editor->genericView()->controlForParameter(kGainPort));
    ASSERT_NE(slider, nullptr);

    cue->play();
    const std::size_t start = render(2);
    ASSERT_TRUE(cue->playing());
    // The effect delays by one cycle: what the test plugin reports as its latency.
    expectCycle(start + 1, 0.25f);

    slider->setValue(EffectGenericView::sliderPosition(gain.parameters().front(), -6.0206f));
    const float chosen = gain.valueForParameter(kGainPort);
    ASSERT_NEAR(chosen, -6.0206f, 0.1f);
    const float wet = 0.25f * std::pow(10.0f, chosen / 20.0f);
    std::size_t first = render(3);
    expectCycle(first, 0.25f);
    expectCycle(first + 1, wet);
    expectCycle(first + 2, wet);

    // Bypassed by the effect's owner, the box follows; by the box, the effect does.
    gain.setEnabled(false);
    EXPECT_FALSE(editor->enabledButton()->isChecked());
    gain.setEnabled(true);
    EXPECT_TRUE(editor->enabledButton()->isChecked());
    editor->enabledButton()->click();
    EXPECT_FALSE(gain.enabled());
    first = render(3);
    expectCycle(first, wet);
    expectCycle(first + 1, 0.25f);
    expectCycle(first + 2, 0.25f);
    editor->enabledButton()->click();
    EXPECT_TRUE(gain.enabled());
    first = render(2);
    expectCycle(first + 1, wet);
    cue->stop();
}

TEST_F(WorkspaceWindowEndToEnd,
       AnEffectsEditorOpensBesideItsWindowAndReopensWithTheShowWhereItWas) {
    InstalledEffectEditors editors(prompts);
    auto untitled = windows->openUntitled();
    WorkspaceController& window = *windows->windowControllerOf(*untitled);
    QWidget& frame = *window.window();
    frame.move(10, 20);
    GridController& grid = *window.selectedController();
    const std::shared_ptr<AudioCue> cue = dropRain(*untitled, grid, 48000);
    ASSERT_TRUE(cue);
    KivEffect* gain = addTestGain(window, *cue);
    ASSERT_NE(gain, nullptr);
    EffectEditor* editor = EffectEditor::of(*gain);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    // The window fills the test screen's width: the editor sits over its
    // right edge, level with its top, whole on the screen.
    const QRect screen = frame.screen()->availableGeometry();
    ASSERT_GT(frame.frameGeometry().width() + EffectEditorPlacement::kGap + editor->width(),
              screen.width());
    EXPECT_EQ(editor->frameGeometry().right(), screen.right());
    EXPECT_EQ(editor->frameGeometry().top(), frame.frameGeometry().top());

    // Moved by the user and saved open: the reopened show brings it back there.
    editor->move(screen.x() + 60, screen.y() + 70);
    const std::string package = files.path("editor.pondra");
    prompts.saveAnswers.push_back(QString::fromStdString(package));
    windows->saveDocumentAs(*untitled);
    windows->documentController().finishSaving(*untitled);
    const auto back = closeAndReopen(untitled, package);
    ASSERT_TRUE(back);
    QCoreApplication::processEvents();
    ASSERT_EQ(back->effects().size(), 1u);
    EffectEditor* again = EffectEditor::of(*back->effects().front());
    ASSERT_NE(again, nullptr) << "the editor was open when the show was saved";
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(again->pos(), QPoint(screen.x() + 60, screen.y() + 70));
}
