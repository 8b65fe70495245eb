#include "e2e/support/XDriver.h"

#include <xcb/xcb.h>
#include <xcb/xproto.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr std::uint32_t kShiftL = 0xffe1;
constexpr std::uint32_t kControlL = 0xffe3;
constexpr std::uint32_t kAltL = 0xffe9;

template <typename Reply>
struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
    Reply* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    Freed<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr)};
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

void pause(std::chrono::milliseconds how) {
    std::this_thread::sleep_for(how);
}

} // namespace

XDriver::XDriver(const std::string& display) {
    _connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(_connection)) {
        xcb_disconnect(_connection);
        _connection = nullptr;
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(_connection);
    _root = xcb_setup_roots_iterator(setup).data->root;
    _firstKeyCode = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    Freed<xcb_get_keyboard_mapping_reply_t> mapping{xcb_get_keyboard_mapping_reply(
        _connection, xcb_get_keyboard_mapping(_connection, setup->min_keycode, count), nullptr)};
    if (mapping) {
        _keysymsPerCode = mapping->keysyms_per_keycode;
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.reply);
        _keymap.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(mapping.reply));
    }
}

XDriver::~XDriver() {
    if (_connection) {
        xcb_disconnect(_connection);
    }
}

QString XDriver::property(std::uint32_t window, const char* name, std::uint32_t type) {
    Freed<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        _connection,
        xcb_get_property(_connection, 0, window, atom(_connection, name), type, 0, 4096), nullptr)};
    if (!reply || xcb_get_property_value_length(reply.reply) <= 0) {
        return {};
    }
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.reply));
    return QString::fromUtf8(bytes, xcb_get_property_value_length(reply.reply));
}

std::int32_t XDriver::cardinal(std::uint32_t window, const char* name) {
    Freed<xcb_get_property_reply_t> reply{xcb_get_property_reply(
        _connection,
        xcb_get_property(_connection, 0, window, atom(_connection, name), XCB_ATOM_CARDINAL, 0, 1),
        nullptr)};
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.reply) < 4) {
        return 0;
    }
    return *static_cast<const std::int32_t*>(xcb_get_property_value(reply.reply));
}

std::vector<TopLevel> XDriver::windows() {
    return topLevels(true);
}

std::vector<TopLevel> XDriver::allWindows() {
    return topLevels(false);
}

std::vector<TopLevel> XDriver::topLevels(bool mappedOnly) {
    std::vector<TopLevel> found;
    Freed<xcb_query_tree_reply_t> tree{
        xcb_query_tree_reply(_connection, xcb_query_tree(_connection, _root), nullptr)};
    if (!tree) {
        return found;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.reply);
    const int count = xcb_query_tree_children_length(tree.reply);
    const xcb_atom_t utf8 = atom(_connection, "UTF8_STRING");
    for (int i = 0; i < count; ++i) {
        Freed<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
            _connection, xcb_get_window_attributes(_connection, children[i]), nullptr)};
        if (!attributes) {
            continue;
        }
        const bool mapped = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (mappedOnly && !mapped) {
            continue;
        }
        Freed<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(
            _connection, xcb_get_geometry(_connection, children[i]), nullptr)};
        if (!geometry) {
            continue;
        }
        TopLevel window;
        window.id = children[i];
        window.frame = QRect(geometry->x, geometry->y, geometry->width, geometry->height);
        window.title = property(children[i], "_NET_WM_NAME", utf8);
        if (window.title.isEmpty()) {
            window.title = property(children[i], "WM_NAME", XCB_ATOM_STRING);
        }
        window.pid = cardinal(children[i], "_NET_WM_PID");
        window.mapped = mapped;
        found.push_back(window);
    }
    return found;
}

std::optional<TopLevel> XDriver::waitForWindow(const std::function<bool(const TopLevel&)>& matches,
                                               std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        for (const TopLevel& window : windows()) {
            if (matches(window)) {
                return window;
            }
        }
        pause(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

bool XDriver::waitUntilGone(const std::function<bool(const TopLevel&)>& matches,
                            std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        bool any = false;
        for (const TopLevel& window : windows()) {
            any = any || matches(window);
        }
        if (!any) {
            return true;
        }
        pause(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

QImage XDriver::grab(const QRect& area) {
    Freed<xcb_get_image_reply_t> reply{
        xcb_get_image_reply(_connection,
                            xcb_get_image(_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, _root, area.x(),
                                          area.y(), area.width(), area.height(), ~0u),
                            nullptr)};
    if (!reply || reply->depth != 24) {
        return {};
    }
    const int length = xcb_get_image_data_length(reply.reply);
    const std::size_t row = static_cast<std::size_t>(area.width()) * 4;
    if (length < static_cast<int>(row * area.height())) {
        return {};
    }
    QImage image(area.size(), QImage::Format_RGB32);
    const std::uint8_t* data = xcb_get_image_data(reply.reply);
    for (int y = 0; y < area.height(); ++y) {
        std::memcpy(image.scanLine(y), data + y * row, row);
    }
    return image;
}

void XDriver::focus(const TopLevel& window) {
    xcb_set_input_focus(_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window.id, XCB_CURRENT_TIME);
    settle();
}

void XDriver::close(const TopLevel& window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window.id;
    event.type = atom(_connection, "WM_PROTOCOLS");
    event.data.data32[0] = atom(_connection, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(_connection, 0, window.id, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    settle();
}

TopLevel XDriver::move(const TopLevel& window, QPoint topLeft) {
    // No window manager stands between: the window is configured directly.
    const std::uint32_t values[] = {static_cast<std::uint32_t>(topLeft.x()),
                                    static_cast<std::uint32_t>(topLeft.y())};
    xcb_configure_window(_connection, window.id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
    settle(std::chrono::milliseconds(300));
    TopLevel moved = window;
    moved.frame.moveTopLeft(topLeft);
    return moved;
}

XDriver::KeyCode XDriver::keyCodeOf(std::uint32_t keysym) const {
    for (std::size_t i = 0; i < _keymap.size(); ++i) {
        const auto column = static_cast<int>(i % _keysymsPerCode);
        if (_keymap[i] == keysym && column < 2) {
            return {static_cast<std::uint8_t>(_firstKeyCode + i / _keysymsPerCode), column == 1};
        }
    }
    return {};
}

void XDriver::fake(std::uint8_t type, std::uint8_t detail, QPoint at) {
    xcb_test_fake_input(_connection, type, detail, XCB_CURRENT_TIME,
                        type == XCB_MOTION_NOTIFY ? _root : XCB_NONE,
                        static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(at.y()), 0);
    // A round trip, so the server has handled it before the next.
    std::free(xcb_get_input_focus_reply(_connection, xcb_get_input_focus(_connection), nullptr));
}

void XDriver::moveTo(QPoint at) {
    fake(XCB_MOTION_NOTIFY, 0, at);
}

void XDriver::press(int button) {
    fake(XCB_BUTTON_PRESS, static_cast<std::uint8_t>(button));
}

void XDriver::release(int button) {
    fake(XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(button));
}

void XDriver::holdModifiers(unsigned modifiers, bool down) {
    for (const auto& [flag, keysym] :
         {std::pair{Shift, kShiftL}, std::pair{Control, kControlL}, std::pair{Alt, kAltL}}) {
        if (modifiers & flag) {
            fake(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, keyCodeOf(keysym).code);
        }
    }
}

void XDriver::click(QPoint at, unsigned modifiers, int button) {
    moveTo(at);
    pause(std::chrono::milliseconds(30));
    holdModifiers(modifiers, true);
    press(button);
    pause(std::chrono::milliseconds(30));
    release(button);
    holdModifiers(modifiers, false);
    settle();
}

void XDriver::doubleClick(QPoint at) {
    moveTo(at);
    pause(std::chrono::milliseconds(30));
    for (int i = 0; i < 2; ++i) {
        press(1);
        pause(std::chrono::milliseconds(20));
        release(1);
        pause(std::chrono::milliseconds(40));
    }
    settle();
}

void XDriver::drag(QPoint from, QPoint to, unsigned modifiers) {
    moveTo(from);
    pause(std::chrono::milliseconds(50));
    holdModifiers(modifiers, true);
    press(1);
    pause(std::chrono::milliseconds(100));
    // Small steps at a hand's pace: the drag starts after a few points and
    // the target answers each position before the drop.
    constexpr int kSteps = 30;
    for (int step = 1; step <= kSteps; ++step) {
        moveTo(from + (to - from) * step / kSteps);
        pause(std::chrono::milliseconds(25));
    }
    pause(std::chrono::milliseconds(300));
    moveTo(to + QPoint(1, 1));
    pause(std::chrono::milliseconds(300));
    release(1);
    holdModifiers(modifiers, false);
    settle(std::chrono::milliseconds(400));
}

void XDriver::keyDown(std::uint32_t keysym) {
    const KeyCode code = keyCodeOf(keysym);
    if (code.shifted) {
        fake(XCB_KEY_PRESS, keyCodeOf(kShiftL).code);
    }
    fake(XCB_KEY_PRESS, code.code);
}

void XDriver::keyUp(std::uint32_t keysym) {
    const KeyCode code = keyCodeOf(keysym);
    fake(XCB_KEY_RELEASE, code.code);
    if (code.shifted) {
        fake(XCB_KEY_RELEASE, keyCodeOf(kShiftL).code);
    }
}

void XDriver::key(std::uint32_t keysym, unsigned modifiers) {
    holdModifiers(modifiers, true);
    keyDown(keysym);
    pause(std::chrono::milliseconds(20));
    keyUp(keysym);
    holdModifiers(modifiers, false);
    pause(std::chrono::milliseconds(30));
}

void XDriver::type(const std::string& text) {
    for (const char c : text) {
        key(static_cast<unsigned char>(c));
    }
    settle();
}

void XDriver::settle(std::chrono::milliseconds how) {
    std::free(xcb_get_input_focus_reply(_connection, xcb_get_input_focus(_connection), nullptr));
    pause(how);
}
