#include "foundation/KivHotKey.h"

#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivUTF8.h"

#include <linux/input-event-codes.h>
#include <locale.h>

#include <cwctype>
#include <limits>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<KivHotKey>("KivHotKey");
    return true;
}();

// Upper case by the full Unicode table of the C.UTF-8 locale, independent of
// the process's own locale; ASCII only where that locale is missing.
char16_t upperCased(char16_t c) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (utf8 != static_cast<locale_t>(0)) {
        const wint_t upper = towupper_l(c, utf8);
        return upper <= 0xFFFF ? static_cast<char16_t>(upper) : c;
    }
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool boolValue(const nlohmann::json& descriptor, const char* key) {
    const auto it = descriptor.find(key);
    if (it == descriptor.end()) {
        return false;
    }
    if (it->is_boolean()) {
        return it->get<bool>();
    }
    if (it->is_number_integer() || it->is_number_unsigned()) {
        return it->get<std::int64_t>() != 0;
    }
    return false;
}

// A value out of range reads as 0 rather than wrapping into some other key.
std::uint16_t uint16Value(const nlohmann::json& descriptor, const char* key) {
    const auto it = descriptor.find(key);
    if (it == descriptor.end()) {
        return 0;
    }
    if (it->is_number_unsigned()) {
        const auto value = it->get<std::uint64_t>();
        return value <= 0xFFFF ? static_cast<std::uint16_t>(value) : 0;
    }
    if (it->is_number_integer()) {
        const auto value = it->get<std::int64_t>();
        return value >= 0 && value <= 0xFFFF ? static_cast<std::uint16_t>(value) : 0;
    }
    return 0;
}

} // namespace

void KivHotKey::setEmpty() {
    *this = KivHotKey();
}

bool KivHotKey::isEmpty() const {
    return *this == KivHotKey();
}

void KivHotKey::setAllFlags(bool on) {
    _capsLock = _shift = _control = _option = _command = _function = on;
}

bool KivHotKey::operator==(const KivHotKey& other) const {
    return _keyCode == other._keyCode && _keyCharacter == other._keyCharacter &&
           _capsLock == other._capsLock && _shift == other._shift && _control == other._control &&
           _option == other._option && _command == other._command && _function == other._function;
}

nlohmann::json KivHotKey::descriptor() const {
    return {{"keyCode", _keyCode},   {"keyCharacter", static_cast<std::uint16_t>(_keyCharacter)},
            {"capsLock", _capsLock}, {"shift", _shift},
            {"control", _control},   {"option", _option},
            {"command", _command},   {"function", _function}};
}

void KivHotKey::setDescriptor(const nlohmann::json& descriptor) {
    if (!descriptor.is_object() || descriptor.empty()) {
        return;
    }
    _keyCode = uint16Value(descriptor, "keyCode");
    _keyCharacter = static_cast<char16_t>(uint16Value(descriptor, "keyCharacter"));
    _capsLock = boolValue(descriptor, "capsLock");
    _shift = boolValue(descriptor, "shift");
    _control = boolValue(descriptor, "control");
    _option = boolValue(descriptor, "option");
    _command = boolValue(descriptor, "command");
    _function = boolValue(descriptor, "function");
}

bool KivHotKey::setFromKeyEvent(const KivKeyEvent& event) {
    const std::uint32_t flags = event.modifierFlags;
    const char16_t character =
        event.charactersIgnoringModifiers.empty() ? 0 : event.charactersIgnoringModifiers.front();
    if ((flags & KivKeyModifier::Ctrl) != 0 ||
        (character >= KivKeyCharacter::UpArrow && character <= KivKeyCharacter::RightArrow) ||
        character == 0 || character == 9 || character == 10 || character == 13 ||
        event.keyCode == KEY_ESC) {
        return false;
    }
    _keyCode = event.keyCode;
    _keyCharacter = character;
    _capsLock = (flags & KivKeyModifier::CapsLock) != 0;
    _shift = (flags & KivKeyModifier::Shift) != 0;
    _control = (flags & KivKeyModifier::Meta) != 0;
    _option = (flags & KivKeyModifier::Alt) != 0;
    _command = false;
    _function = (flags & KivKeyModifier::Function) != 0;
    return true;
}

bool KivHotKey::matchesKeyEvent(const KivKeyEvent& event) const {
    if (isEmpty()) {
        return false;
    }
    const std::uint32_t flags = event.modifierFlags;
    return _keyCode == event.keyCode && _shift == ((flags & KivKeyModifier::Shift) != 0) &&
           _control == ((flags & KivKeyModifier::Meta) != 0) &&
           _option == ((flags & KivKeyModifier::Alt) != 0);
}

std::string KivHotKey::displayString() const {
    std::string text;
    if (_shift) {
        KivUTF8::append(text, U'\u21E7');
    }
    if (_control) {
        KivUTF8::append(text, U'\u2303');
    }
    if (_option) {
        KivUTF8::append(text, U'\u2325');
    }
    if (_command) {
        KivUTF8::append(text, U'\u2318');
    }
    const char16_t c = _keyCharacter;
    if (c == 0) {
    } else if (c == 8 || c == 127) {
        KivUTF8::append(text, U'\u232B');
    } else if (c == 9) {
        text += "Tab";
    } else if (c == 13) {
        text += "Return";
    } else if (c == 32) {
        text += "Space";
    } else if (c == KivKeyCharacter::UpArrow) {
        KivUTF8::append(text, U'\u2191');
    } else if (c == KivKeyCharacter::DownArrow) {
        KivUTF8::append(text, U'\u2193');
    } else if (c == KivKeyCharacter::LeftArrow) {
        KivUTF8::append(text, U'\u2190');
    } else if (c == KivKeyCharacter::RightArrow) {
        KivUTF8::append(text, U'\u2192');
    } else if (c >= KivKeyCharacter::F1 && c <= KivKeyCharacter::F15) {
        text += "F" + std::to_string(c - KivKeyCharacter::F1 + 1);
    } else if (c == KivKeyCharacter::ForwardDelete) {
        KivUTF8::append(text, U'\u2326');
    } else if (c == KivKeyCharacter::Home) {
        text += "Home";
    } else if (c == KivKeyCharacter::End) {
        text += "End";
    } else if (c == KivKeyCharacter::PageUp) {
        KivUTF8::append(text, U'\u21DE');
    } else if (c == KivKeyCharacter::PageDown) {
        KivUTF8::append(text, U'\u21DF');
    } else if (c >= 0xD800 && c <= 0xDFFF) {
        // Half of a surrogate pair cannot be shown on its own.
        KivUTF8::append(text, U'\uFFFD');
    } else {
        KivUTF8::append(text, upperCased(c));
    }
    return text;
}

void KivHotKey::encodeWithCoder(KivKeyedEncoder& coder) const {
    coder.encodeInt32(_keyCode, "JvActionKeyKeyCode");
    coder.encodeInt64(_keyCharacter, "JvActionKeyKeyCharacter");
    coder.encodeBool(_capsLock, "JvActionKeyCapsLock");
    coder.encodeBool(_shift, "JvActionKeyShift");
    coder.encodeBool(_control, "JvActionKeyControl");
    coder.encodeBool(_option, "JvActionKeyOption");
    coder.encodeBool(_command, "JvActionKeyCommand");
    coder.encodeBool(_function, "JvActionKeyFunction");
}

std::shared_ptr<KivHotKey> KivHotKey::initWithCoder(const KivKeyedDecoder& coder) {
    auto hotKey = std::make_shared<KivHotKey>();
    const std::int32_t keyCode = coder.decodeInt32ForKey("JvActionKeyKeyCode");
    const std::int32_t character = coder.decodeInt32ForKey("JvActionKeyKeyCharacter");
    if (keyCode < 0 || keyCode > std::numeric_limits<std::uint16_t>::max() || character < 0 ||
        character > std::numeric_limits<std::uint16_t>::max()) {
        coder.failWithError("KivHotKey: key code or character out of the 16-bit range");
        return nullptr;
    }
    hotKey->_keyCode = static_cast<std::uint16_t>(keyCode);
    hotKey->_keyCharacter = static_cast<char16_t>(character);
    hotKey->_capsLock = coder.decodeBoolForKey("JvActionKeyCapsLock");
    hotKey->_shift = coder.decodeBoolForKey("JvActionKeyShift");
    hotKey->_control = coder.decodeBoolForKey("JvActionKeyControl");
    hotKey->_option = coder.decodeBoolForKey("JvActionKeyOption");
    hotKey->_command = coder.decodeBoolForKey("JvActionKeyCommand");
    hotKey->_function = coder.decodeBoolForKey("JvActionKeyFunction");
    return hotKey;
}
