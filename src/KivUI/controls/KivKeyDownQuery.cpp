#include "KivUI/controls/KivKeyDownQuery.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <utility>

namespace {

// X key codes are evdev codes plus 8.
constexpr unsigned kEvdevOffset = 8;

} // namespace

std::optional<KivKeyDownQuery> KivKeyDownQuery::ask(std::uint16_t keyCode) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || keyCode + kEvdevOffset > 255) {
        return std::nullopt;
    }
    xcb_connection_t* connection = x11->connection();
    const xcb_query_keymap_cookie_t cookie = xcb_query_keymap(connection);
    xcb_flush(connection);
    return KivKeyDownQuery(connection, cookie.sequence,
                           static_cast<std::uint8_t>(keyCode + kEvdevOffset));
}

KivKeyDownQuery::KivKeyDownQuery(xcb_connection_t* connection, unsigned int sequence,
                                 std::uint8_t keycode)
    : _connection(connection)
    , _sequence(sequence)
    , _keycode(keycode) {}

KivKeyDownQuery::KivKeyDownQuery(KivKeyDownQuery&& other) noexcept
    : _connection(std::exchange(other._connection, nullptr))
    , _sequence(other._sequence)
    , _keycode(other._keycode)
    , _answer(other._answer) {}

KivKeyDownQuery& KivKeyDownQuery::operator=(KivKeyDownQuery&& other) noexcept {
    if (this != &other) {
        discard();
        _connection = std::exchange(other._connection, nullptr);
        _sequence = other._sequence;
        _keycode = other._keycode;
        _answer = other._answer;
    }
    return *this;
}

KivKeyDownQuery::~KivKeyDownQuery() {
    discard();
}

void KivKeyDownQuery::discard() {
    // A reply never picked up would stay in the connection's queue.
    if (_connection && !_answer) {
        xcb_discard_reply(_connection, _sequence);
    }
    _connection = nullptr;
}

std::optional<bool> KivKeyDownQuery::answer() {
    if (_answer || !_connection) {
        return _answer;
    }
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (!xcb_poll_for_reply(_connection, _sequence, &reply, &error)) {
        return std::nullopt;
    }
    const auto* keymap = static_cast<const xcb_query_keymap_reply_t*>(reply);
    _answer = keymap && (keymap->keys[_keycode / 8] & (1u << (_keycode % 8))) != 0;
    std::free(reply);
    std::free(error);
    return _answer;
}
