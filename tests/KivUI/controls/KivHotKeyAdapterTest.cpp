#include "KivUI/controls/KivHotKeyAdapter.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QKeyEvent>

namespace {

QKeyEvent press(int key, Qt::KeyboardModifiers modifiers, const QString& text,
                bool autoRepeat = false, quint32 scanCode = 0) {
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text, autoRepeat);
}

} // namespace

TEST(KivHotKeyAdapterTest, KeysGiveTheirEvdevCodeTheirOwnCharacterAndTheModifiers) {
    struct Case {
        QKeyEvent event;
        std::uint16_t code;
        std::u16string character;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {press(Qt::Key_BracketLeft, Qt::NoModifier, "["), KEY_LEFTBRACE, u"[", 0},
        // Shift turns "[" into "{": the key and its character stay "[".
        {press(Qt::Key_BraceLeft, Qt::ShiftModifier, "{"), KEY_LEFTBRACE, u"[",
         KivKeyModifier::Shift},
        {press(Qt::Key_Q, Qt::ShiftModifier, "Q"), KEY_Q, u"q", KivKeyModifier::Shift},
        // Ctrl makes the text a control character; the character stays "q".
        {press(Qt::Key_Q, Qt::ControlModifier, "\x11"), KEY_Q, u"q", KivKeyModifier::Ctrl},
        {press(Qt::Key_F5, Qt::MetaModifier, ""), KEY_F5,
         std::u16string(1, KivKeyCharacter::F1 + 4),
         KivKeyModifier::Meta | KivKeyModifier::Function},
        {press(Qt::Key_Escape, Qt::ShiftModifier, "\x1b"), KEY_ESC, u"\x1b", KivKeyModifier::Shift},
        {press(Qt::Key_Up, Qt::AltModifier, ""), KEY_UP,
         std::u16string(1, KivKeyCharacter::UpArrow),
         KivKeyModifier::Alt | KivKeyModifier::Function},
    };
    for (const auto& c : cases) {
        const auto event = KivHotKeyAdapter::keyEvent(c.event);
        ASSERT_TRUE(event.has_value()) << c.event.key();
        EXPECT_EQ(event->keyCode, c.code) << c.event.key();
        EXPECT_EQ(event->charactersIgnoringModifiers, c.character) << c.event.key();
        EXPECT_EQ(event->modifierFlags, c.flags) << c.event.key();
    }
}

TEST(KivHotKeyAdapterTest, ThePlatformsScanCodeNamesThePhysicalKey) {
    // On a German layout the key right of T gives "z": code KEY_Y, character "z".
    const auto event =
        KivHotKeyAdapter::keyEvent(press(Qt::Key_Z, Qt::NoModifier, "z", false, KEY_Y + 8));
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->keyCode, KEY_Y);
    EXPECT_EQ(event->charactersIgnoringModifiers, u"z");
    const auto other =
        KivHotKeyAdapter::keyEvent(press(0xe9, Qt::NoModifier, "\u00e9", false, KEY_2 + 8));
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(other->keyCode, KEY_2);
    EXPECT_EQ(other->charactersIgnoringModifiers, u"\u00e9");
}

TEST(KivHotKeyAdapterTest, AutoRepeatedPressesAndReleasesAreDropped) {
    EXPECT_FALSE(KivHotKeyAdapter::keyEvent(press(Qt::Key_A, Qt::NoModifier, "a", true)));
    const QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"),
                            true);
    EXPECT_FALSE(KivHotKeyAdapter::keyEvent(release));
    const QKeyEvent lastRelease(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    const auto event = KivHotKeyAdapter::keyEvent(lastRelease);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->keyCode, KEY_A);
}

TEST(KivHotKeyAdapterTest, TheCharactersAreThePrintableTextTheKeyTyped) {
    const auto shifted =
        KivHotKeyAdapter::keyEvent(press(Qt::Key_Exclam, Qt::ShiftModifier, "!", false, KEY_1 + 8));
    ASSERT_TRUE(shifted.has_value());
    EXPECT_EQ(shifted->characters, u"!");
    EXPECT_EQ(shifted->charactersIgnoringModifiers, u"1");
    const auto accented =
        KivHotKeyAdapter::keyEvent(press(0xc9, Qt::NoModifier, "\u00e9", false, KEY_2 + 8));
    EXPECT_EQ(accented->characters, u"\u00e9");
    // Control characters, keys without text and the private-use stand-ins type nothing.
    for (const QKeyEvent& event :
         {press(Qt::Key_Q, Qt::ControlModifier, "\x11"), press(Qt::Key_F5, Qt::NoModifier, ""),
          press(Qt::Key_Return, Qt::NoModifier, "\r"),
          press(Qt::Key_Up, Qt::NoModifier, QString(QChar(0xF700)))}) {
        const auto typed = KivHotKeyAdapter::keyEvent(event);
        ASSERT_TRUE(typed.has_value());
        EXPECT_TRUE(typed->characters.empty()) << event.key();
    }
}
