// Another X client that takes the CLIPBOARD selection and never answers a
// request for it, as a program that hangs with something copied does. It
// prints "owning" once the selection is its own and runs until it is killed
// (or, at the latest, after two minutes).
//
//     e2e_silent_clipboard_owner

#include <poll.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const char* name = "CLIPBOARD";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    if (atom == nullptr) {
        return 2;
    }
    xcb_set_selection_owner(connection, window, atom->atom, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    if (owner == nullptr || owner->owner != window) {
        std::fprintf(stderr, "the selection stayed another client's\n");
        return 2;
    }
    std::free(owner);
    std::free(atom);
    std::printf("owning\n");
    std::fflush(stdout);

    // Requests are read and dropped: no SelectionNotify ever goes back.
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (std::chrono::steady_clock::now() < end && !xcb_connection_has_error(connection)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            std::free(event);
        }
        ::poll(&descriptor, 1, 200);
    }
    xcb_disconnect(connection);
    return 0;
}
