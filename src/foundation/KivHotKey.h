#pragma once

#include "foundation/KivArchivable.h"
#include "foundation/KivKeyEvent.h"

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

class KivKeyedDecoder;

// One key combination: the key code, the key's character and six modifier
// flags. The flags keep the names of the original system: `command` is Ctrl,
// `option` is Alt and `control` is Meta. Archived as "KivHotKey".
class KivHotKey : public KivArchivable {
public:
    KivHotKey() = default;

    // Clears all eight fields, as a new hot key has them.
    void setEmpty();
    // True when all eight fields are zero.
    bool isEmpty() const;

    std::uint16_t keyCode() const { return _keyCode; }
    char16_t keyCharacter() const { return _keyCharacter; }
    bool capsLock() const { return _capsLock; }
    bool shift() const { return _shift; }
    bool control() const { return _control; }
    bool option() const { return _option; }
    bool command() const { return _command; }
    bool function() const { return _function; }
    void setKeyCode(std::uint16_t keyCode) { _keyCode = keyCode; }
    void setKeyCharacter(char16_t keyCharacter) { _keyCharacter = keyCharacter; }
    void setCapsLock(bool on) { _capsLock = on; }
    void setShift(bool on) { _shift = on; }
    void setControl(bool on) { _control = on; }
    void setOption(bool on) { _option = on; }
    void setCommand(bool on) { _command = on; }
    void setFunction(bool on) { _function = on; }
    // The six flags at once.
    void setAllFlags(bool on);

    bool operator==(const KivHotKey& other) const;

    // {"keyCode", "keyCharacter": unsigned 16-bit numbers; "capsLock",
    // "shift", "control", "option", "command", "function": booleans}.
    nlohmann::json descriptor() const;
    // Null, a non-dictionary or an empty dictionary changes nothing; otherwise
    // every field is set, a missing key or an unusable value giving 0 or false.
    void setDescriptor(const nlohmann::json& descriptor);

    // Takes a key-down event. Refuses, changing nothing, with Ctrl held, for an
    // arrow key, for the characters U+0000, Tab, line feed and return, and for
    // Escape.
    bool setFromKeyEvent(const KivKeyEvent& event);
    // Equal key codes and equal Shift, Meta and Alt; Caps Lock, Ctrl, the
    // function flag and the character are not compared. Empty matches nothing.
    bool matchesKeyEvent(const KivKeyEvent& event) const;

    // The glyphs of Shift, control (Meta), option (Alt) and command (Ctrl) when
    // set, then the key; UTF-8.
    std::string displayString() const;
    std::string description() const { return displayString(); }

    void encodeWithCoder(KivKeyedEncoder& coder) const override;
    static std::shared_ptr<KivHotKey> initWithCoder(const KivKeyedDecoder& coder);

private:
    std::uint16_t _keyCode = 0;
    char16_t _keyCharacter = 0;
    bool _capsLock = false;
    bool _shift = false;
    bool _control = false;
    bool _option = false;
    bool _command = false;
    bool _function = false;
};
