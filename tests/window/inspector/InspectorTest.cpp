// The inspector pane of a workspace window: the cue inspector's fields and
// their undo steps, the volume drag, the hot-key field, MIDI learn, the
// played range, the output pair, the effect chain and the warnings view.
#include "KivUI/WidgetRender.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornSplitView.h"
#include "KivUI/outline/KivTableView.h"
#include "audio/effects/KivEffect.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "platform/effects/TestPlugins.h"
#include "platform/undo/UndoManager.h"
#include "support/Outlet.h"
#include "window/InspectorFixture.h"
#include "window/inspector/CueEffectsModel.h"
#include "window/warnings/BrokenCueController.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

namespace {

class InspectorTest : public InspectorFixture {
protected:
    void mouse(QWidget& widget, QEvent::Type type, int x) {
        const QPointF at(x, widget.height() / 2.0);
        QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
    // Press at the first x, through the others, release at the last.
    void drag(VornSlider& slider, const std::vector<int>& xs) {
        mouse(slider, QEvent::MouseButtonPress, xs.front());
        for (std::size_t i = 1; i < xs.size(); ++i) {
            mouse(slider, QEvent::MouseMove, xs[i]);
        }
        mouse(slider, QEvent::MouseButtonRelease, xs.back());
        undo().endTurn();
    }
    float volumeAt(const VornSlider& slider, int x) const {
        return static_cast<float>(slider.valueAt(QPointF(x, slider.height() / 2.0))) /
               CueInspectorController::kVolumeSteps;
    }
};

} // namespace

TEST_F(InspectorTest, TheSelectedCueIsShownAndShowModeEmptiesThePane) {
    auto cue = openWithSelectedCue();
    EXPECT_EQ(cueInspector().cue(), cue);
    EXPECT_TRUE(cueInspector().isVisible());
    EXPECT_EQ(cueInspector().name()->text(), QStringLiteral("Storm"));
    EXPECT_EQ(cueInspector().hotkey()->text(), QStringLiteral("S"));
    EXPECT_EQ(cueInspector().midiNote()->text(), QStringLiteral("12"));
    EXPECT_EQ(cueInspector().startTime()->text(), QStringLiteral("00:00.000"));
    EXPECT_EQ(cueInspector().endTime()->text(), QStringLiteral("00:02.000"));
    EXPECT_EQ(cueInspector().volumeSlider()->value(), 1000);
    EXPECT_EQ(cueInspector().output()->currentText(), QStringLiteral("Card card - channels 1/2"));

    EXPECT_FALSE(outlet<QLabel>(&inspector(), "noCueLabel")->isVisible());
    grid().gridView()->setSelectedIndex(5);
    EXPECT_FALSE(cueInspector().cue());
    EXPECT_FALSE(cueInspector().isVisible());
    EXPECT_TRUE(outlet<QLabel>(&inspector(), "noCueLabel")->isVisible());
    grid().gridView()->setSelectedIndex(0);
    controller->setShowMode();
    EXPECT_FALSE(cueInspector().cue());
    EXPECT_FALSE(controller->inspectorVisible());
    controller->setEditMode();
    EXPECT_TRUE(controller->inspectorVisible());
    grid().gridView()->setSelectedIndex(0);
    EXPECT_EQ(cueInspector().cue(), cue);
    EXPECT_TRUE(cueInspector().isVisible());
}

TEST_F(InspectorTest, EachEditIsANamedStepThatUndoesAndRedoesExactly) {
    auto cue = openWithSelectedCue();
    CueInspectorController& inspector = cueInspector();
    const std::vector<std::pair<std::function<void()>, std::string>> edits = {
        {[&] { type(*inspector.name(), QStringLiteral("Thunder")); }, "Change Name"},
        {[&] { type(*inspector.hotkey(), QStringLiteral("w")); }, "Change Hotkey"},
        {[&] { type(*inspector.midiNote(), QStringLiteral("200")); }, "Change MIDI Note"},
        {[&] { inspector.colors()->button(3)->click(); }, "Change Color"},
        {[&] { type(*inspector.startTime(), QStringLiteral("0.5")); }, "Change Start Time"},
        {[&] { type(*inspector.endTime(), QStringLiteral("00:01.5")); }, "Change End Time"},
    };
    for (const auto& [edit, name] : edits) {
        edit();
        undo().endTurn();
        EXPECT_EQ(undo().undoActionName(), name);
    }
    const auto edited = [&] {
        EXPECT_EQ(cue->name(), "Thunder");
        EXPECT_EQ(cue->hotkey(), "W");
        EXPECT_EQ(cue->midiNote(), 127);
        EXPECT_EQ(cue->color().name(), PondraColor::colors()[3]);
        EXPECT_DOUBLE_EQ(cue->startTime(), 0.5);
        EXPECT_DOUBLE_EQ(cue->endTime(), 1.5);
        EXPECT_EQ(inspector.endTime()->text(), QStringLiteral("00:01.500"));
    };
    edited();

    for (auto step = edits.rbegin(); step != edits.rend(); ++step) {
        ASSERT_TRUE(undo().undo());
        // The step keeps its name for the redo.
        EXPECT_EQ(undo().redoActionName(), step->second);
    }
    EXPECT_EQ(cue->name(), "Storm");
    EXPECT_EQ(cue->hotkey(), "S");
    EXPECT_EQ(cue->midiNote(), 12);
    EXPECT_TRUE(cue->color().isEqualToColor(PondraColor::defaultColor()));
    EXPECT_DOUBLE_EQ(cue->startTime(), 0.0);
    EXPECT_DOUBLE_EQ(cue->endTime(), 2.0);
    EXPECT_EQ(inspector.name()->text(), QStringLiteral("Storm"));
    EXPECT_EQ(inspector.midiNote()->text(), QStringLiteral("12"));
    EXPECT_EQ(inspector.startTime()->text(), QStringLiteral("00:00.000"));
    EXPECT_EQ(undo().undoActionName(), "Add Cue");

    for (const auto& [edit, name] : edits) {
        ASSERT_TRUE(undo().redo());
        EXPECT_EQ(undo().undoActionName(), name);
    }
    edited();
}

TEST_F(InspectorTest, AVolumeDragIsOneStepAndADragBackToItsStartIsNone) {
    auto cue = openWithSelectedCue();
    VornSlider& slider = *cueInspector().volumeSlider();
    ASSERT_GT(slider.width(), 100);
    const float low = volumeAt(slider, 20);
    ASSERT_LT(low, 0.5f);

    drag(slider, {90, 70, 50, 30, 20});
    EXPECT_EQ(cue->volume(), low);
    EXPECT_EQ(undo().undoActionName(), "Change Cue Volume");
    ASSERT_TRUE(undo().undo());
    EXPECT_EQ(cue->volume(), 1.0f);
    EXPECT_EQ(slider.value(), 1000);
    EXPECT_EQ(undo().undoActionName(), "Add Cue");
    ASSERT_TRUE(undo().redo());
    EXPECT_EQ(cue->volume(), low);

    // Out and back: no step; the earlier one still moves the slider.
    drag(slider, {20, 60, 100, 20});
    EXPECT_EQ(cue->volume(), low);
    EXPECT_FALSE(undo().canRedo());
    ASSERT_TRUE(undo().undo());
    EXPECT_EQ(cue->volume(), 1.0f);
    EXPECT_EQ(slider.value(), 1000);
    EXPECT_EQ(undo().undoActionName(), "Add Cue");
}

TEST_F(InspectorTest, TheHotkeyFieldShowsTheParsedKeyAtOnceAndTheCueTakesItWhenEditingEnds) {
    auto cue = openWithSelectedCue();
    VornTextField& field = *cueInspector().hotkey();
    field.selectAll();
    keys(field, QStringLiteral("  q"));
    EXPECT_EQ(field.text(), QStringLiteral("Q"));
    EXPECT_EQ(field.selectedText(), QStringLiteral("Q"));
    EXPECT_EQ(cue->hotkey(), "S");
    pressKey(field, Qt::Key_Return);
    EXPECT_EQ(cue->hotkey(), "Q");
}

TEST_F(InspectorTest, MidiLearnTakesTheFirstMessageOfTheNextBatchAndFiresNothing) {
    auto learner = openWithSelectedCue();
    auto other = placeCue(wav("Other.wav", 0.125f), 1);
    other->setMidiNote(40);
    undo().endTurn();
    grid().gridView()->setSelectedIndex(0);
    ASSERT_EQ(cueInspector().cue(), learner);

    cueInspector().captureButton()->click();
    EXPECT_TRUE(cueInspector().captureMIDI());
    EXPECT_EQ(cueInspector().midiNote()->text(), QStringLiteral("..."));
    EXPECT_EQ(cueInspector().captureButton()->text(), QStringLiteral("Waiting..."));
    EXPECT_FALSE(inspector().processMIDIMessages({}));
    EXPECT_TRUE(cueInspector().captureMIDI()) << "an empty batch leaves learn armed";

    controller->keys().processMIDIMessages({{0x90, 1, 40, 100}, {0x90, 1, 12, 100}});
    render(4);
    EXPECT_EQ(learner->midiNote(), 40);
    EXPECT_FALSE(other->isPlaying()) << "the learned batch fired a cue";
    EXPECT_FALSE(learner->isPlaying());
    EXPECT_FALSE(cueInspector().captureMIDI());
    EXPECT_EQ(cueInspector().captureButton()->text(), QStringLiteral("Capture"));
    EXPECT_EQ(cueInspector().midiNote()->text(), QStringLiteral("40"));
    undo().endTurn();
    EXPECT_EQ(undo().undoActionName(), "Change MIDI Note");

    // The next batch plays as any other.
    controller->keys().processMIDIMessages({{0x90, 1, 40, 100}});
    render(2);
    EXPECT_TRUE(other->isPlaying());
    EXPECT_TRUE(learner->isPlaying());

    // A cue without a trigger learns one, and undo takes it away again.
    learner->setMidiTrigger(std::nullopt);
    cueInspector().captureMIDINote();
    controller->keys().processMIDIMessages({{0x90, 1, 70, 100}});
    undo().endTurn();
    EXPECT_EQ(learner->midiNote(), 70);
    ASSERT_TRUE(undo().undo());
    EXPECT_FALSE(learner->midiTrigger());
    EXPECT_EQ(cueInspector().midiNote()->text(), QStringLiteral("0"));
    ASSERT_TRUE(undo().redo());
    EXPECT_EQ(learner->midiNote(), 70);
}

TEST_F(InspectorTest, TimesPastTheFileOrLeavingATenthOfASecondAreRefusedWithTheFieldRestored) {
    auto cue = openWithSelectedCue();
    CueInspectorController& inspector = cueInspector();
    for (const auto& [field, text] :
         std::vector<std::pair<VornTextField*, QString>>{{inspector.startTime(), "5"},
                                                         {inspector.endTime(), "2.5"},
                                                         {inspector.startTime(), "1.95"},
                                                         {inspector.startTime(), "1.9"}}) {
        type(*field, text);
        EXPECT_DOUBLE_EQ(cue->startTime(), 0.0) << text.toStdString();
        EXPECT_DOUBLE_EQ(cue->endTime(), 2.0) << text.toStdString();
        EXPECT_FALSE(inspector.timeMessage()->text().isEmpty()) << text.toStdString();
    }
    EXPECT_EQ(inspector.startTime()->text(), QStringLiteral("00:00.000"));
    EXPECT_EQ(inspector.endTime()->text(), QStringLiteral("00:02.000"));
    undo().endTurn();
    EXPECT_EQ(undo().undoActionName(), "Add Cue");

    type(*inspector.startTime(), QStringLiteral("1.899"));
    EXPECT_DOUBLE_EQ(cue->startTime(), 1.899);
    EXPECT_TRUE(inspector.timeMessage()->text().isEmpty());
}

TEST_F(InspectorTest, ATimeChangedOnAStoppedCueTakesEffectFromTheNewStartAtTheNextFire) {
    openWindow();
    inspector().setAnimated(false);
    // Each second of the file has a level of its own: 0.1, 0.2, ... 0.6.
    std::vector<float> samples;
    for (int second = 1; second <= 6; ++second) {
        samples.insert(samples.end(), kRate, 0.1f * static_cast<float>(second));
    }
    const std::string path = files.path("steps.wav");
    ASSERT_TRUE(
        AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, kRate));
    auto cue = placeCue(path, 0, "S");
    grid().gridView()->setSelectedIndex(0);
    const auto fire = [this] {
        press(Qt::Key_S, QStringLiteral("s"));
        release(Qt::Key_S, QStringLiteral("s"));
    };
    const auto heard = [this](std::uint32_t cycles) { return firstFrames(render(cycles)).back(); };

    type(*cueInspector().startTime(), QStringLiteral("5"));
    fire();
    EXPECT_FLOAT_EQ(heard(3), 0.6f);
    fire();
    ASSERT_FALSE(cue->playing());
    // The stop's short fade.
    render(4);

    // Stopped, the cue starts again from its new start, earlier in the file.
    type(*cueInspector().startTime(), QStringLiteral("2"));
    fire();
    EXPECT_FLOAT_EQ(heard(3), 0.3f);
    // Playing, it keeps its place: still in the third second of the file.
    type(*cueInspector().startTime(), QStringLiteral("1"));
    EXPECT_TRUE(cue->playing());
    EXPECT_FLOAT_EQ(heard(3), 0.3f);
    fire();
    render(4);

    // Stopped after a click in the waveform put it further in, an end
    // change too leaves it to fire from its start.
    cue->loadActionAt(2.5);
    type(*cueInspector().endTime(), QStringLiteral("5"));
    fire();
    EXPECT_FLOAT_EQ(heard(3), 0.2f);
}

TEST_F(InspectorTest, AltArrowsInAFieldMoveTheGridSelectionAndEscapePanics) {
    openWithSelectedCue();
    VornTextField& name = *cueInspector().name();
    pressKey(name, Qt::Key_Down);
    EXPECT_EQ(grid().gridView()->selectedIndex(), 0u) << "a plain arrow stays in the field";
    pressKey(name, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(grid().gridView()->selectedIndex(), 4u);
    pressKey(name, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(grid().gridView()->selectedIndex(), 5u);
    pressKey(name, Qt::Key_Up, Qt::AltModifier);
    pressKey(name, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(grid().gridView()->selectedIndex(), 0u);

    cart().cueAtIndex(0)->play();
    render(2);
    pressKey(*cueInspector().name(), Qt::Key_Escape);
    EXPECT_TRUE(cart().cueAtIndex(0)->isPanicking() || !cart().cueAtIndex(0)->isPlaying());
}

TEST_F(InspectorTest, TheOutputPairRoutesInTheCuesOwnMixerAndLeavesTheSharedDeviceAlone) {
    hardware.backend->plug(OfflineHardware::device("wide", 4));
    device = KivAudioDevice::deviceWithUID("wide");
    auto first = openWithSelectedCue();
    auto second = placeCue(wav("Second.wav", 0.125f), 1);
    grid().gridView()->setSelectedIndex(1);
    ASSERT_EQ(cueInspector().cue(), second);
    const int engaged = device->engagedCount();

    VornPopUpButton& output = *cueInspector().output();
    const auto choose = [&](const char* title) {
        const int index = output.findText(QString::fromLatin1(title));
        ASSERT_GE(index, 0) << title << " among " << output.count();
        output.setCurrentIndex(index);
        Q_EMIT output.activated(index);
    };
    const auto frame = [&](const char* uid, std::size_t channels, std::size_t channel) {
        const auto captured = hardware.backend->capturedOutput(uid);
        return captured.at(captured.size() - channels + channel);
    };

    choose("Card wide - channels 3/4");
    EXPECT_EQ(second->deviceChannel(), 3);
    EXPECT_EQ(workspace->deviceChannel(), 1);
    EXPECT_EQ(device->engagedCount(), engaged);
    first->play();
    second->play();
    render(4);
    EXPECT_EQ(frame("wide", 4, 0), 0.25f);
    EXPECT_EQ(frame("wide", 4, 1), 0.25f);
    EXPECT_EQ(frame("wide", 4, 2), 0.125f);
    EXPECT_EQ(frame("wide", 4, 3), 0.125f);

    // To another device: only the cue's own engage moves, once the device
    // has opened off the GUI thread.
    choose("Card card - channels 1/2");
    EXPECT_TRUE(
        GuiWatchdog::spinUntil([&] { return second->audioDevice()->deviceUID() == "card"; }));
    EXPECT_TRUE(device->isOpen());
    EXPECT_TRUE(second->audioDevice()->isOpen());
    EXPECT_EQ(workspace->audioDevice(), device);
    second->play();
    render(4);
    EXPECT_TRUE(first->isPlaying());
    EXPECT_EQ(frame("wide", 4, 0), 0.25f);
    EXPECT_EQ(frame("wide", 4, 2), 0.0f);
    EXPECT_EQ(frame("card", 2, 0), 0.125f);
    EXPECT_EQ(frame("card", 2, 1), 0.125f);

    // The pair it already uses changes nothing.
    const auto card = second->audioDevice();
    choose("Card card - channels 1/2");
    EXPECT_EQ(second->audioDevice(), card);
    EXPECT_EQ(second->deviceChannel(), 1);
}

TEST_F(InspectorTest, ToggleInspectorHidesAndShowsThePaneAndBringsTheCueEditorBack) {
    auto cue = openWithSelectedCue();
    PondraWindow& window = *controller->window();
    QAction* toggle = window.action(QStringLiteral("toggleInspector"));
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));
    // A second cue on the same hot key, and the warnings list in the pane.
    placeCue(wav("Twin.wav", 0.1f), 1, "S");
    undo().endTurn();
    scheduler.advance(BrokenCueController::kReloadDelay);
    controller->brokenCueController().hidePopover();
    window.warningButton()->click();
    ASSERT_TRUE(inspector().brokenCueViewIsVisible());
    // The clash undone, the list empties and its button goes.
    window.action(QStringLiteral("undo"))->trigger();
    scheduler.advance(BrokenCueController::kReloadDelay);
    ASSERT_TRUE(window.warningButton()->isHidden());
    ASSERT_TRUE(inspector().brokenCueViewIsVisible());

    toggle->trigger();
    EXPECT_FALSE(inspector().brokenCueViewIsVisible());
    EXPECT_TRUE(controller->inspectorVisible());
    EXPECT_EQ(cueInspector().cue(), cue);
    EXPECT_TRUE(cueInspector().isVisible());

    toggle->trigger();
    EXPECT_FALSE(controller->inspectorVisible());
    EXPECT_FALSE(window.inspectorPane()->isVisible());
    toggle->trigger();
    EXPECT_TRUE(controller->inspectorVisible());
    EXPECT_TRUE(window.inspectorPane()->isVisible());
    EXPECT_TRUE(cueInspector().isVisible());

    // The divider dragged to the bottom folds the pane away like the command.
    VornSplitView& split = *window.splitView();
    QWidget& divider = *split.handle(1);
    const QPointF grip(divider.width() / 2.0, divider.height() / 2.0);
    sendMouse(divider, QEvent::MouseButtonPress, grip);
    sendMouse(divider, QEvent::MouseMove, grip + QPointF(0, split.height()), Qt::LeftButton);
    sendMouse(divider, QEvent::MouseButtonRelease, grip + QPointF(0, split.height()));
    EXPECT_FALSE(controller->inspectorVisible());
    toggle->trigger();
    EXPECT_TRUE(controller->inspectorVisible());
    EXPECT_GE(window.inspectorPane()->height(), PondraWindow::kMinimumInspectorHeight);

    controller->setShowMode();
    EXPECT_FALSE(toggle->isEnabled());
    toggle->trigger();
    EXPECT_FALSE(controller->inspectorVisible());
}

TEST_F(InspectorTest, TheWarningsSlideOverTheCueEditorAndInShowModeTheWindowGoesToEditMode) {
    openWithSelectedCue();
    auto* warnings = new QWidget;
    inspector().setBrokenCueView(warnings);
    EXPECT_FALSE(warnings->isVisible());

    inspector().toggleBrokenCueView();
    EXPECT_TRUE(inspector().brokenCueViewIsVisible());
    EXPECT_TRUE(warnings->isVisible());
    EXPECT_EQ(warnings->geometry(), inspector().rect());
    EXPECT_FALSE(cueInspector().isVisible());
    inspector().toggleBrokenCueView();
    EXPECT_FALSE(inspector().brokenCueViewIsVisible());
    EXPECT_FALSE(warnings->isVisible());
    EXPECT_EQ(warnings->geometry(), inspector().rect().translated(0, inspector().height()));
    EXPECT_TRUE(cueInspector().isVisible());
    EXPECT_EQ(cueInspector().geometry(), inspector().rect());

    controller->setShowMode();
    ASSERT_TRUE(controller->inShowMode());
    EXPECT_FALSE(controller->inspectorVisible());
    inspector().toggleBrokenCueView();
    EXPECT_TRUE(controller->inEditMode());
    EXPECT_TRUE(controller->inspectorVisible());
    EXPECT_TRUE(inspector().brokenCueViewIsVisible());
    EXPECT_TRUE(warnings->isVisible());

    // Animated, the warnings leave from where they are and slide down.
    inspector().setAnimated(true);
    inspector().toggleBrokenCueView();
    EXPECT_TRUE(warnings->isVisible());
    EXPECT_EQ(warnings->geometry(), inspector().rect());
}

namespace {

// The in-tree test plugins are the installed effects.
class InspectorEffectsTest : public InspectorTest {
protected:
    void SetUp() override { setComponentCatalogue(std::make_shared<KivLv2Catalogue>(testWorld())); }
    void TearDown() override { setComponentCatalogue(nullptr); }

    QAction* menuItem(const QString& maker, const QString& title) const {
        for (QAction* makerItem : cueInspector().effectsMenu()->actions()) {
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
    std::vector<std::string> rows() const {
        std::vector<std::string> names;
        const QAbstractItemModel& model = *cueInspector().effectsTable()->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            names.push_back(
                model.data(model.index(row, 0), Qt::DisplayRole).toString().toStdString());
        }
        return names;
    }
};

} // namespace

TEST_F(InspectorEffectsTest, EffectsAreAddedFromTheMenuReorderedByDropAndRemovedBackToTheirPlace) {
    auto cue = openWithSelectedCue();
    QAction* gain = menuItem(QStringLiteral("Pondra Tests"), QStringLiteral("Test Gain"));
    ASSERT_TRUE(gain);
    std::vector<KivEffect*> opened;
    cueInspector().setEffectEditorOpener([&](KivEffect& effect) { opened.push_back(&effect); });
    for (const char* name : {"A", "B", "C"}) {
        gain->trigger();
        undo().endTurn();
        EXPECT_EQ(undo().undoActionName(), "Add Effect");
        cue->effects().back()->setDisplayName(name);
    }
    ASSERT_EQ(cue->effects().size(), 3u);
    EXPECT_EQ(opened.size(), 3u) << "each added effect opens its editor";
    cueInspector().effectsTable()->model()->layoutChanged();
    EXPECT_EQ(rows(), (std::vector<std::string>{"A", "B", "C"}));

    // Dragging A onto C's row lands it before C.
    QAbstractItemModel& model = *cueInspector().effectsTable()->model();
    std::unique_ptr<QMimeData> dragged(model.mimeData({model.index(0, 0)}));
    ASSERT_TRUE(dragged->hasFormat(QString::fromLatin1(CueEffectsModel::kReorderType)));
    EXPECT_TRUE(model.dropMimeData(dragged.get(), Qt::MoveAction, 2, 0, {}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"B", "A", "C"}));

    // Removing the first and undoing puts it back first: the order is the sound.
    cueInspector().effectsTable()->selectRow(0);
    cueInspector().removeEffectButton()->click();
    undo().endTurn();
    EXPECT_EQ(undo().undoActionName(), "Remove Effect");
    EXPECT_EQ(rows(), (std::vector<std::string>{"A", "C"}));
    ASSERT_TRUE(undo().undo());
    EXPECT_EQ(rows(), (std::vector<std::string>{"B", "A", "C"}));
    ASSERT_TRUE(undo().redo());
    EXPECT_EQ(rows(), (std::vector<std::string>{"A", "C"}));

    // Nothing selected: nothing removed. A double click opens the row's editor.
    cueInspector().effectsTable()->clearSelection();
    cueInspector().removeEffect();
    EXPECT_EQ(cue->effects().size(), 2u);
    opened.clear();
    cueInspector().didDoubleClickTable(-1);
    cueInspector().didDoubleClickTable(2);
    EXPECT_TRUE(opened.empty());
    cueInspector().didDoubleClickTable(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front()->displayName(), "C");
}

TEST_F(InspectorTest, TheCuesFieldsKeepOnePitch) {
    openWithSelectedCue();
    QCoreApplication::processEvents();
    std::vector<QRect> rows;
    for (const char* title : {"Name", "Hot key", "Color", "Volume", "Output"}) {
        for (const QLabel* label : cueInspector().findChildren<QLabel*>()) {
            if (label->text() == QLatin1String(title)) {
                rows.push_back(label->geometry());
            }
        }
    }
    ASSERT_EQ(rows.size(), 5u);
    const int pitch = rows[1].top() - rows[0].top();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].top() - rows[i - 1].top(), pitch) << i;
        EXPECT_EQ(rows[i].height(), rows[0].height()) << i;
    }
}

TEST_F(InspectorEffectsTest, AnEffectThatCannotTakeTheCuesChannelsSaysSoInItsRow) {
    auto mono = openWithSelectedCue();
    cueInspector().setEffectEditorOpener([](KivEffect&) {});
    QAction* stereo = menuItem(QStringLiteral("Pondra Tests"), QStringLiteral("Test Gain Stereo"));
    ASSERT_TRUE(stereo);
    stereo->trigger();
    const QAbstractItemModel& model = *cueInspector().effectsTable()->model();
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_TRUE(model.data(model.index(0, 0), CueEffectsModel::kNoticeRole).isNull())
        << "a stereo effect takes a mono cue";
    const int plain = cueInspector().effectsTable()->rowHeight(0);

    // Three channels have no one wiring for a stereo plugin.
    const std::string path = files.path("Three.wav");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                            std::vector<float>(3 * kRate, 0.25f), 3, kRate));
    auto three = placeCue(path, 1, "T");
    undo().endTurn();
    grid().gridView()->setSelectedIndex(1);
    QApplication::processEvents();
    ASSERT_EQ(cueInspector().cue(), three);
    stereo->trigger();
    ASSERT_EQ(three->effects().size(), 1u);
    KivEffect& refused = *three->effects().front();
    EXPECT_EQ(refused.refusedChannels(), 3u);
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex row = model.index(0, 0);
    EXPECT_EQ(model.data(row, Qt::DisplayRole).toString(), "Test Gain Stereo");
    EXPECT_EQ(model.data(row, CueEffectsModel::kNoticeRole).toString(),
              "does not take this cue's channels");
    EXPECT_EQ(model.data(row, Qt::ToolTipRole).toString(), "does not take this cue's channels");
    EXPECT_GT(cueInspector().effectsTable()->rowHeight(0), plain) << "room for the second line";

    // Told the chain takes it after all, the row says so at the next turn.
    refused.setRefusedChannels(0);
    QApplication::processEvents();
    EXPECT_TRUE(model.data(model.index(0, 0), CueEffectsModel::kNoticeRole).isNull());
    EXPECT_EQ(cueInspector().effectsTable()->rowHeight(0), plain);
    EXPECT_EQ(mono->effects().front()->refusedChannels(), 0u);
}
