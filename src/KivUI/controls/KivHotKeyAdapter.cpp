#include "KivUI/controls/KivHotKeyAdapter.h"

#include <linux/input-event-codes.h>

#include <QKeyEvent>

#include <array>

namespace {

struct KeyRow {
    int key;
    std::uint16_t code;
    char16_t character; // the key without modifiers on a US layout
    bool function;      // a key without text
};

// clang-format off
constexpr std::array kUsLayout{
    KeyRow{Qt::Key_A, KEY_A, u'a', false}, KeyRow{Qt::Key_B, KEY_B, u'b', false},
    KeyRow{Qt::Key_C, KEY_C, u'c', false}, KeyRow{Qt::Key_D, KEY_D, u'd', false},
    KeyRow{Qt::Key_E, KEY_E, u'e', false}, KeyRow{Qt::Key_F, KEY_F, u'f', false},
    KeyRow{Qt::Key_G, KEY_G, u'g', false}, KeyRow{Qt::Key_H, KEY_H, u'h', false},
    KeyRow{Qt::Key_I, KEY_I, u'i', false}, KeyRow{Qt::Key_J, KEY_J, u'j', false},
    KeyRow{Qt::Key_K, KEY_K, u'k', false}, KeyRow{Qt::Key_L, KEY_L, u'l', false},
    KeyRow{Qt::Key_M, KEY_M, u'm', false}, KeyRow{Qt::Key_N, KEY_N, u'n', false},
    KeyRow{Qt::Key_O, KEY_O, u'o', false}, KeyRow{Qt::Key_P, KEY_P, u'p', false},
    KeyRow{Qt::Key_Q, KEY_Q, u'q', false}, KeyRow{Qt::Key_R, KEY_R, u'r', false},
    KeyRow{Qt::Key_S, KEY_S, u's', false}, KeyRow{Qt::Key_T, KEY_T, u't', false},
    KeyRow{Qt::Key_U, KEY_U, u'u', false}, KeyRow{Qt::Key_V, KEY_V, u'v', false},
    KeyRow{Qt::Key_W, KEY_W, u'w', false}, KeyRow{Qt::Key_X, KEY_X, u'x', false},
    KeyRow{Qt::Key_Y, KEY_Y, u'y', false}, KeyRow{Qt::Key_Z, KEY_Z, u'z', false},
    KeyRow{Qt::Key_1, KEY_1, u'1', false}, KeyRow{Qt::Key_Exclam, KEY_1, u'1', false},
    KeyRow{Qt::Key_2, KEY_2, u'2', false}, KeyRow{Qt::Key_At, KEY_2, u'2', false},
    KeyRow{Qt::Key_3, KEY_3, u'3', false}, KeyRow{Qt::Key_NumberSign, KEY_3, u'3', false},
    KeyRow{Qt::Key_4, KEY_4, u'4', false}, KeyRow{Qt::Key_Dollar, KEY_4, u'4', false},
    KeyRow{Qt::Key_5, KEY_5, u'5', false}, KeyRow{Qt::Key_Percent, KEY_5, u'5', false},
    KeyRow{Qt::Key_6, KEY_6, u'6', false}, KeyRow{Qt::Key_AsciiCircum, KEY_6, u'6', false},
    KeyRow{Qt::Key_7, KEY_7, u'7', false}, KeyRow{Qt::Key_Ampersand, KEY_7, u'7', false},
    KeyRow{Qt::Key_8, KEY_8, u'8', false}, KeyRow{Qt::Key_Asterisk, KEY_8, u'8', false},
    KeyRow{Qt::Key_9, KEY_9, u'9', false}, KeyRow{Qt::Key_ParenLeft, KEY_9, u'9', false},
    KeyRow{Qt::Key_0, KEY_0, u'0', false}, KeyRow{Qt::Key_ParenRight, KEY_0, u'0', false},
    KeyRow{Qt::Key_Minus, KEY_MINUS, u'-', false}, KeyRow{Qt::Key_Underscore, KEY_MINUS, u'-', false},
    KeyRow{Qt::Key_Equal, KEY_EQUAL, u'=', false}, KeyRow{Qt::Key_Plus, KEY_EQUAL, u'=', false},
    KeyRow{Qt::Key_BracketLeft, KEY_LEFTBRACE, u'[', false}, KeyRow{Qt::Key_BraceLeft, KEY_LEFTBRACE, u'[', false},
    KeyRow{Qt::Key_BracketRight, KEY_RIGHTBRACE, u']', false}, KeyRow{Qt::Key_BraceRight, KEY_RIGHTBRACE, u']', false},
    KeyRow{Qt::Key_Backslash, KEY_BACKSLASH, u'\\', false}, KeyRow{Qt::Key_Bar, KEY_BACKSLASH, u'\\', false},
    KeyRow{Qt::Key_Semicolon, KEY_SEMICOLON, u';', false}, KeyRow{Qt::Key_Colon, KEY_SEMICOLON, u';', false},
    KeyRow{Qt::Key_Apostrophe, KEY_APOSTROPHE, u'\'', false}, KeyRow{Qt::Key_QuoteDbl, KEY_APOSTROPHE, u'\'', false},
    KeyRow{Qt::Key_QuoteLeft, KEY_GRAVE, u'`', false}, KeyRow{Qt::Key_AsciiTilde, KEY_GRAVE, u'`', false},
    KeyRow{Qt::Key_Comma, KEY_COMMA, u',', false}, KeyRow{Qt::Key_Less, KEY_COMMA, u',', false},
    KeyRow{Qt::Key_Period, KEY_DOT, u'.', false}, KeyRow{Qt::Key_Greater, KEY_DOT, u'.', false},
    KeyRow{Qt::Key_Slash, KEY_SLASH, u'/', false}, KeyRow{Qt::Key_Question, KEY_SLASH, u'/', false},
    KeyRow{Qt::Key_Space, KEY_SPACE, u' ', false},
    KeyRow{Qt::Key_Escape, KEY_ESC, u'\x1b', false},
    KeyRow{Qt::Key_Tab, KEY_TAB, u'\t', false}, KeyRow{Qt::Key_Backtab, KEY_TAB, u'\t', false},
    KeyRow{Qt::Key_Return, KEY_ENTER, u'\r', false}, KeyRow{Qt::Key_Enter, KEY_KPENTER, u'\x03', false},
    KeyRow{Qt::Key_Backspace, KEY_BACKSPACE, u'\x7f', false},
    KeyRow{Qt::Key_Up, KEY_UP, KivKeyCharacter::UpArrow, true},
    KeyRow{Qt::Key_Down, KEY_DOWN, KivKeyCharacter::DownArrow, true},
    KeyRow{Qt::Key_Left, KEY_LEFT, KivKeyCharacter::LeftArrow, true},
    KeyRow{Qt::Key_Right, KEY_RIGHT, KivKeyCharacter::RightArrow, true},
    KeyRow{Qt::Key_Delete, KEY_DELETE, KivKeyCharacter::ForwardDelete, true},
    KeyRow{Qt::Key_Home, KEY_HOME, KivKeyCharacter::Home, true},
    KeyRow{Qt::Key_End, KEY_END, KivKeyCharacter::End, true},
    KeyRow{Qt::Key_PageUp, KEY_PAGEUP, KivKeyCharacter::PageUp, true},
    KeyRow{Qt::Key_PageDown, KEY_PAGEDOWN, KivKeyCharacter::PageDown, true},
    KeyRow{Qt::Key_F1, KEY_F1, KivKeyCharacter::F1 + 0, true},
    KeyRow{Qt::Key_F2, KEY_F2, KivKeyCharacter::F1 + 1, true},
    KeyRow{Qt::Key_F3, KEY_F3, KivKeyCharacter::F1 + 2, true},
    KeyRow{Qt::Key_F4, KEY_F4, KivKeyCharacter::F1 + 3, true},
    KeyRow{Qt::Key_F5, KEY_F5, KivKeyCharacter::F1 + 4, true},
    KeyRow{Qt::Key_F6, KEY_F6, KivKeyCharacter::F1 + 5, true},
    KeyRow{Qt::Key_F7, KEY_F7, KivKeyCharacter::F1 + 6, true},
    KeyRow{Qt::Key_F8, KEY_F8, KivKeyCharacter::F1 + 7, true},
    KeyRow{Qt::Key_F9, KEY_F9, KivKeyCharacter::F1 + 8, true},
    KeyRow{Qt::Key_F10, KEY_F10, KivKeyCharacter::F1 + 9, true},
    KeyRow{Qt::Key_F11, KEY_F11, KivKeyCharacter::F1 + 10, true},
    KeyRow{Qt::Key_F12, KEY_F12, KivKeyCharacter::F1 + 11, true},
    KeyRow{Qt::Key_F13, KEY_F13, KivKeyCharacter::F1 + 12, true},
    KeyRow{Qt::Key_F14, KEY_F14, KivKeyCharacter::F1 + 13, true},
    KeyRow{Qt::Key_F15, KEY_F15, KivKeyCharacter::F15, true},
};
// clang-format on

const KeyRow* rowOf(int key) {
    for (const auto& row : kUsLayout) {
        if (row.key == key) {
            return &row;
        }
    }
    return nullptr;
}

std::uint32_t modifiersOf(Qt::KeyboardModifiers modifiers) {
    std::uint32_t flags = 0;
    if (modifiers & Qt::ShiftModifier) {
        flags |= KivKeyModifier::Shift;
    }
    if (modifiers & Qt::ControlModifier) {
        flags |= KivKeyModifier::Ctrl;
    }
    if (modifiers & Qt::AltModifier) {
        flags |= KivKeyModifier::Alt;
    }
    if (modifiers & Qt::MetaModifier) {
        flags |= KivKeyModifier::Meta;
    }
    return flags;
}

// X11 and Wayland scan codes are evdev codes plus 8; below that the platform
// gave none.
constexpr quint32 kEvdevOffset = 8;

} // namespace

std::optional<KivKeyEvent> KivHotKeyAdapter::keyEvent(const QKeyEvent& event) {
    if (event.isAutoRepeat()) {
        return std::nullopt;
    }
    KivKeyEvent result;
    result.modifierFlags = modifiersOf(event.modifiers());
    const KeyRow* row = rowOf(event.key());
    if (event.nativeScanCode() > kEvdevOffset) {
        result.keyCode = static_cast<std::uint16_t>(event.nativeScanCode() - kEvdevOffset);
    } else if (row) {
        result.keyCode = row->code;
    }
    if (row) {
        result.charactersIgnoringModifiers = std::u16string(1, row->character);
        if (row->function) {
            result.modifierFlags |= KivKeyModifier::Function;
        }
    } else if (event.key() > 0 && event.key() < Qt::Key_Escape) {
        // A key of another layout: Qt names it by its upper-case character.
        const char32_t key = static_cast<char32_t>(event.key());
        const QString character = QString::fromUcs4(&key, 1).toLower();
        result.charactersIgnoringModifiers = character.toStdU16String();
    }
    const QList<uint> typed = event.text().toUcs4();
    if (typed.size() == 1 && QChar::isPrint(typed.front()) &&
        QChar::category(typed.front()) != QChar::Other_PrivateUse) {
        result.characters = event.text().toStdU16String();
    }
    return result;
}
