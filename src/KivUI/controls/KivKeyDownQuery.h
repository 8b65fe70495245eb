#pragma once

#include <cstdint>
#include <optional>

struct xcb_connection_t;

// Whether a physical key is down at the X server, asked without waiting: the
// question goes out at once and the answer is picked up once it has come.
// The server answers after every event it sent before the question, so a
// key let go reads up, while the release X sends for each repeat of a held
// key reads down.
class KivKeyDownQuery {
public:
    // Asks about a key by its evdev code; none without an X display.
    static std::optional<KivKeyDownQuery> ask(std::uint16_t keyCode);

    KivKeyDownQuery(KivKeyDownQuery&& other) noexcept;
    KivKeyDownQuery& operator=(KivKeyDownQuery&& other) noexcept;
    KivKeyDownQuery(const KivKeyDownQuery&) = delete;
    KivKeyDownQuery& operator=(const KivKeyDownQuery&) = delete;
    ~KivKeyDownQuery();

    // True while the key is down, false once it is up; none while the
    // server has not answered. An error reads as up.
    std::optional<bool> answer();

private:
    KivKeyDownQuery(xcb_connection_t* connection, unsigned int sequence, std::uint8_t keycode);
    void discard();

    xcb_connection_t* _connection = nullptr;
    unsigned int _sequence = 0;
    std::uint8_t _keycode = 0;
    std::optional<bool> _answer;
};
