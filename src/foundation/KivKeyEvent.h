#pragma once

#include <cstdint>
#include <string>

// Modifier bits of a key event. Each takes the place of a modifier of the
// original system: Command -> Ctrl, Option -> Alt, Control -> Meta (Super).
namespace KivKeyModifier {
inline constexpr std::uint32_t CapsLock = 1u << 16;
inline constexpr std::uint32_t Shift = 1u << 17;
inline constexpr std::uint32_t Meta = 1u << 18;
inline constexpr std::uint32_t Alt = 1u << 19;
inline constexpr std::uint32_t Ctrl = 1u << 20;
// Set for keys that produce no text (arrows, function keys, Home, End ...).
inline constexpr std::uint32_t Function = 1u << 23;
} // namespace KivKeyModifier

// Characters that stand for keys without text, so that stored hot keys and
// their display keep one form: U+F700 up to U+F703 the arrows, U+F704 + n - 1
// the function key Fn, and the editing keys below.
namespace KivKeyCharacter {
inline constexpr char16_t UpArrow = 0xF700;
inline constexpr char16_t DownArrow = 0xF701;
inline constexpr char16_t LeftArrow = 0xF702;
inline constexpr char16_t RightArrow = 0xF703;
inline constexpr char16_t F1 = 0xF704;
inline constexpr char16_t F15 = 0xF712;
inline constexpr char16_t ForwardDelete = 0xF728;
inline constexpr char16_t Home = 0xF729;
inline constexpr char16_t End = 0xF72B;
inline constexpr char16_t PageUp = 0xF72C;
inline constexpr char16_t PageDown = 0xF72D;
} // namespace KivKeyCharacter

// One key press or release as the window layer hands it over.
struct KivKeyEvent {
    // The Linux evdev code of the physical key (linux/input-event-codes.h).
    std::uint16_t keyCode = 0;
    // The text of the key without modifiers, or a KivKeyCharacter for keys
    // without text; empty when the key gives neither.
    std::u16string charactersIgnoringModifiers;
    std::uint32_t modifierFlags = 0; // KivKeyModifier bits
    // The one printable character the key types, Shift and the layout
    // included ("!" for Shift+1 on a US layout); empty when it types none.
    std::u16string characters;
};
