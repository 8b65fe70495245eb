#include "e2e/support/KeyboardRepeat.h"

#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <cstdlib>

namespace KeyboardRepeat {

bool set(const std::string& display, bool on) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    bool done = false;
    if (!xcb_connection_has_error(connection)) {
        const std::uint32_t mode = on ? XCB_AUTO_REPEAT_MODE_ON : XCB_AUTO_REPEAT_MODE_OFF;
        xcb_change_keyboard_control(connection, XCB_KB_AUTO_REPEAT_MODE, &mode);
        xcb_get_keyboard_control_reply_t* control = xcb_get_keyboard_control_reply(
            connection, xcb_get_keyboard_control(connection), nullptr);
        done = control != nullptr && (control->global_auto_repeat != 0) == on;
        std::free(control);
    }
    xcb_disconnect(connection);
    return done;
}

} // namespace KeyboardRepeat
