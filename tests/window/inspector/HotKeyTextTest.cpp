// Cue hot keys typed in the inspector as symbols or letters beyond ASCII fire
// their own cue when the same key is pressed, and only that cue.
#include "window/InspectorFixture.h"

#include <linux/input-event-codes.h>

namespace {

// What X11 sends: the key's evdev code plus 8 as the native scan code, the
// layout's Qt key and the text the key typed.
void sendKey(QWidget& target, QEvent::Type type, int qtKey, std::uint16_t code, const QString& text,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(type, qtKey, modifiers, code + 8u, 0, 0, text);
    QApplication::sendEvent(&target, &event);
}

} // namespace

class HotKeyText : public InspectorFixture {
protected:
    // A cue at the slot whose hot key is typed into the inspector's field.
    std::shared_ptr<AudioCue> cueTypedAs(std::size_t slot, float level, const QString& typed) {
        auto cue = placeCue(wav("cue" + std::to_string(slot) + ".wav", level, 2.0), slot);
        grid().gridView()->setSelectedIndex(slot);
        QApplication::processEvents();
        type(*cueInspector().hotkey(), typed);
        return cue;
    }
    void keyDown(int qtKey, std::uint16_t code, const QString& text,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        sendKey(*grid().gridView(), QEvent::KeyPress, qtKey, code, text, modifiers);
    }
    void keyUp(int qtKey, std::uint16_t code, const QString& text,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        sendKey(*grid().gridView(), QEvent::KeyRelease, qtKey, code, text, modifiers);
    }
};

TEST_F(HotKeyText, ASymbolFiresItsOwnCueNeverTheDigitOnItsKey) {
    openWindow();
    inspector().setAnimated(false);
    auto one = placeCue(wav("one.wav", 0.25f, 2.0), 0, "1");
    auto nine = placeCue(wav("nine.wav", 0.25f, 2.0), 1, "9");
    auto bang = cueTypedAs(2, 0.125f, QStringLiteral("!"));
    auto paren = cueTypedAs(3, 0.0625f, QStringLiteral("("));
    EXPECT_EQ(bang->hotkey(), "!");
    EXPECT_EQ(paren->hotkey(), "(");
    controller->setShowMode();

    // Shift+1 on a US layout types "!".
    keyDown(Qt::Key_Exclam, KEY_1, QStringLiteral("!"), Qt::ShiftModifier);
    EXPECT_TRUE(cell(2).isPressed());
    EXPECT_FALSE(cell(0).isPressed());
    // On a French layout "(" is the unshifted key where a US layout has 5;
    // Qt names it as the key that types "(" on a US layout, the 9.
    keyDown(Qt::Key_ParenLeft, KEY_5, QStringLiteral("("));
    EXPECT_TRUE(cell(3).isPressed());
    EXPECT_FALSE(cell(1).isPressed());
    render(2);
    EXPECT_TRUE(bang->isPlaying());
    EXPECT_TRUE(paren->isPlaying());
    EXPECT_FALSE(one->isPlaying());
    EXPECT_FALSE(nine->isPlaying());
}

TEST_F(HotKeyText, AReleaseEndsTheCueItsKeyPressedEvenWhenShiftWentUpFirst) {
    openWindow();
    inspector().setAnimated(false);
    auto one = placeCue(wav("one.wav", 0.25f, 2.0), 0, "1");
    one->setHold(true);
    auto bang = cueTypedAs(1, 0.125f, QStringLiteral("!"));
    bang->setHold(true);
    controller->setShowMode();

    keyDown(Qt::Key_Exclam, KEY_1, QStringLiteral("!"), Qt::ShiftModifier);
    render(1);
    ASSERT_TRUE(bang->isPlaying());
    // Shift is let go first: the key's release types "1".
    keyUp(Qt::Key_1, KEY_1, QStringLiteral("1"));
    render(2);
    EXPECT_FALSE(bang->isPlaying());
    EXPECT_FALSE(cell(1).isPressed());
    EXPECT_FALSE(one->isPlaying());
}

TEST_F(HotKeyText, LettersBeyondAsciiMatchWhateverTheCaseTheyWereTypedIn) {
    openWindow();
    inspector().setAnimated(false);
    auto acute = cueTypedAs(0, 0.25f, QString::fromUtf8("\u00e9"));
    auto umlaut = cueTypedAs(1, 0.125f, QString::fromUtf8("\u00d6"));
    auto tilde = cueTypedAs(2, 0.0625f, QString::fromUtf8("\u00f1"));
    // Stored upper-cased, as an ASCII letter is.
    EXPECT_EQ(acute->hotkey(), "\u00c9");
    EXPECT_EQ(umlaut->hotkey(), "\u00d6");
    EXPECT_EQ(tilde->hotkey(), "\u00d1");
    controller->setShowMode();

    keyDown(0xc9, KEY_2, QString::fromUtf8("\u00e9"));
    keyDown(0xd6, KEY_SEMICOLON, QString::fromUtf8("\u00f6"));
    keyDown(0xd1, KEY_SEMICOLON, QString::fromUtf8("\u00f1"));
    render(2);
    EXPECT_TRUE(acute->isPlaying());
    EXPECT_TRUE(umlaut->isPlaying());
    EXPECT_TRUE(tilde->isPlaying());
}
