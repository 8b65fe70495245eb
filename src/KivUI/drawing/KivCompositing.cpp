#include "KivUI/drawing/KivCompositing.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdlib>
#include <string>

bool KivCompositing::isActive() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) {
        return true;
    }
    xcb_connection_t* connection = x11->connection();
    // A compositing manager owns the selection _NET_WM_CM_S<screen> of the
    // display's screen.
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(qgetenv("DISPLAY").constData(), &host, &display, &screen)) {
        std::free(host);
    }
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom) {
        return false;
    }
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool active = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return active;
}
