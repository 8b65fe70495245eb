// Firing in show mode: clicks press and release on the mouse's own press and
// release, hot keys in synchronised batches, MIDI notes through the cells.
#include "KivUI/WidgetRender.h"
#include "window/WindowFixture.h"

class ShowMode : public WindowFixture {
protected:
    void click(std::size_t slot, QEvent::Type type) { sendMouse(cell(slot), type, {40, 50}); }
};

TEST_F(ShowMode, AClickPlaysOnThePressAndAHoldCueStopsOnTheRelease) {
    openWindow();
    auto plain = placeCue(wav("plain.wav", 0.25f, 2.0), 0);
    auto held = placeCue(wav("held.wav", 0.125f, 2.0), 1);
    held->setHold(true);
    controller->setShowMode();

    // A selection never triggers: one press, one start.
    click(0, QEvent::MouseButtonPress);
    EXPECT_TRUE(cell(0).isPressed());
    std::size_t first = render(2);
    EXPECT_TRUE(plain->isPlaying());
    EXPECT_EQ(firstFrames(first).back(), 0.25f);
    click(0, QEvent::MouseButtonRelease);
    EXPECT_FALSE(cell(0).isPressed());
    render(1);
    EXPECT_TRUE(plain->isPlaying());

    click(1, QEvent::MouseButtonPress);
    render(1);
    EXPECT_TRUE(held->isPlaying());
    click(1, QEvent::MouseButtonRelease);
    render(2);
    EXPECT_FALSE(held->isPlaying());

    // A press on a playing cue stops it.
    click(0, QEvent::MouseButtonPress);
    click(0, QEvent::MouseButtonRelease);
    render(2);
    EXPECT_FALSE(plain->isPlaying());
}

TEST_F(ShowMode, AHotKeySharedByTwoCuesPressesBothCellsAndStartsThemInOneCycle) {
    openWindow();
    auto a = placeCue(wav("a.wav", 0.25f), 0, "A");
    auto b = placeCue(wav("b.wav", 0.125f), 7, "A");
    controller->setShowMode();
    render(1);
    press(Qt::Key_A, QStringLiteral("a"));
    EXPECT_TRUE(cell(0).isPressed());
    EXPECT_TRUE(cell(7).isPressed());
    const std::size_t first = render(2);
    EXPECT_EQ(firstFrames(first).front(), 0.375f);
    release(Qt::Key_A, QStringLiteral("a"));
    EXPECT_FALSE(cell(0).isPressed());
}

TEST_F(ShowMode, AutoRepeatedReleasesDoNotStopAHoldCueWhileItsKeyIsHeld) {
    openWindow();
    auto held = placeCue(wav("held.wav", 0.25f, 2.0), 0, "H");
    held->setHold(true);
    controller->setShowMode();
    press(Qt::Key_H, QStringLiteral("h"));
    render(1);
    ASSERT_TRUE(held->isPlaying());
    // X11 sends a release and a press for each repeat.
    for (int i = 0; i < 3; ++i) {
        key(QEvent::KeyRelease, Qt::Key_H, QStringLiteral("h"), Qt::NoModifier, true);
        key(QEvent::KeyPress, Qt::Key_H, QStringLiteral("h"), Qt::NoModifier, true);
        render(1);
        EXPECT_TRUE(held->isPlaying());
    }
    release(Qt::Key_H, QStringLiteral("h"));
    render(2);
    EXPECT_FALSE(held->isPlaying());
}

// As X sends a held key's repeats when Qt has not marked them: each a release
// and a press of one moment, 40 ms apart once the repeat delay has passed.
TEST_F(ShowMode, AReleaseAndAPressOfOneMomentAreAKeyStillHeldThoughUnmarked) {
    openWindow();
    auto held = placeCue(wav("held.wav", 0.25f, 2.0), 0, "H");
    held->setHold(true);
    auto plain = placeCue(wav("plain.wav", 0.125f, 2.0), 1, "P");
    controller->setShowMode();
    const auto timed = [&](QEvent::Type type, int qtKey, const QString& text, quint64 time) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, text);
        event.setTimestamp(time);
        QApplication::sendEvent(grid().gridView(), &event);
    };
    timed(QEvent::KeyPress, Qt::Key_H, QStringLiteral("h"), 1000);
    timed(QEvent::KeyPress, Qt::Key_P, QStringLiteral("p"), 1001);
    render(1);
    ASSERT_TRUE(held->isPlaying());
    ASSERT_TRUE(plain->isPlaying());
    for (int i = 0; i < 3; ++i) {
        const quint64 time = 1660 + 40 * i;
        timed(QEvent::KeyRelease, Qt::Key_H, QStringLiteral("h"), time);
        timed(QEvent::KeyPress, Qt::Key_H, QStringLiteral("h"), time);
        timed(QEvent::KeyRelease, Qt::Key_P, QStringLiteral("p"), time + 1);
        timed(QEvent::KeyPress, Qt::Key_P, QStringLiteral("p"), time + 1);
        scheduler.advance(2 * WorkspaceKeyRouter::kRepeatPairWindow);
        render(1);
        EXPECT_TRUE(held->isPlaying()) << "repeat " << i << " stopped the hold cue";
        EXPECT_TRUE(plain->isPlaying()) << "repeat " << i << " pressed the plain cue again";
    }
    // Let go for good: no press follows, and the hold cue stops.
    timed(QEvent::KeyRelease, Qt::Key_H, QStringLiteral("h"), 2000);
    scheduler.advance(WorkspaceKeyRouter::kRepeatPairWindow);
    render(2);
    EXPECT_FALSE(held->isPlaying());
    // A release and a press of a later moment are two strokes: the hold cue
    // stops and plays again from its start.
    timed(QEvent::KeyPress, Qt::Key_H, QStringLiteral("h"), 2100);
    render(6);
    timed(QEvent::KeyRelease, Qt::Key_H, QStringLiteral("h"), 2200);
    scheduler.advance(WorkspaceKeyRouter::kRepeatPairWindow);
    render(1);
    timed(QEvent::KeyPress, Qt::Key_H, QStringLiteral("h"), 2260);
    render(2);
    EXPECT_TRUE(held->isPlaying());
    EXPECT_LT(held->audioSource()->elapsedPlayTime(), 4.0 * kCycle / kRate)
        << "the second stroke was taken for the key still held";
}

TEST_F(ShowMode, KeysWithoutTextFireNoCueButAWorkspaceKeyCanNameThem) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f), 0, "A");
    controller->setShowMode();
    press(Qt::Key_F1, {});
    press(Qt::Key_Home, {});
    render(1);
    EXPECT_FALSE(cue->isPlaying());

    // F5 (evdev 63) as the pause-all key.
    controller->settings().setState(
        {{"Key Map", {{"pauseAll", {{"keyCode", 63}, {"keyCharacter", 0xF708}}}}}});
    press(Qt::Key_F5, {});
    EXPECT_TRUE(workspace->isPaused());
}

TEST_F(ShowMode, EscapeSetAsAWorkspaceKeyDoesOnlyThatKeysAction) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f, 2.0), 0, "A");
    controller->setShowMode();
    press(Qt::Key_A, QStringLiteral("a"));
    render(1);
    ASSERT_TRUE(cue->isPlaying());

    // Escape (evdev 1) as the pause-all key pauses and does not panic.
    controller->settings().setState(
        {{"Key Map", {{"pauseAll", {{"keyCode", 1}, {"keyCharacter", 0x1B}}}}}});
    press(Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_TRUE(workspace->isPaused());
    EXPECT_FALSE(cue->isPanicking());
}

TEST_F(ShowMode, AWorkspaceKeyThatIsAlsoACuesHotKeyFiresOnlyTheWorkspaceAction) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f), 0, "[");
    controller->setShowMode();
    press(Qt::Key_BracketLeft, QStringLiteral("["));
    render(1);
    EXPECT_TRUE(workspace->isPaused());
    EXPECT_FALSE(cue->isPlaying());
}

TEST_F(ShowMode, ControlWithADigitSelectsATabAndWithALetterFiresNothing) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f), 0, "A");
    press(Qt::Key_A, QStringLiteral("a"), Qt::ControlModifier);
    render(1);
    EXPECT_FALSE(cue->isPlaying());
    press(Qt::Key_3, QStringLiteral("3"), Qt::ControlModifier);
    EXPECT_EQ(controller->selectedController(), controller->gridControllers().front().get());
}

TEST_F(ShowMode, ANoteOnPressesItsCellUntilTheNoteOffAndOtherCartsHearTheBatchDirectly) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f, 2.0), 7);
    cue->setHold(true);
    cue->setMidiNote(7);
    auto second = std::make_shared<Cart>();
    workspace->addCart(second);
    GridController& other = controller->addControllerForCart(second);
    auto elsewhere = AudioCue::initWithFile(wav("b.wav", 0.125f, 2.0), device);
    elsewhere->setMidiNote(9);
    other.addCue(elsewhere, 0);
    byHand(*elsewhere);
    controller->setShowMode();

    controller->keys().processMIDIMessages({{0x90, 1, 7, 100}, {0x90, 1, 9, 100}});
    EXPECT_TRUE(cell(7).isPressed());
    const std::size_t first = render(2);
    EXPECT_EQ(firstFrames(first).front(), 0.375f);
    controller->keys().processMIDIMessages({{0x80, 1, 7, 0}});
    EXPECT_FALSE(cell(7).isPressed());
    render(2);
    EXPECT_FALSE(cue->isPlaying());
    EXPECT_TRUE(elsewhere->isPlaying());

    // With a channel set, other channels pass by.
    controller->settings().setMidiChannel(5);
    controller->keys().processMIDIMessages({{0x90, 1, 7, 100}});
    EXPECT_FALSE(cell(7).isPressed());
    controller->keys().processMIDIMessages({{0x90, 5, 7, 100}});
    EXPECT_TRUE(cell(7).isPressed());
}
