#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

// Keys by X keysym, as a keyboard sends them.
namespace Keys {
inline constexpr std::uint32_t Return = 0xff0d;
inline constexpr std::uint32_t Tab = 0xff09;
inline constexpr std::uint32_t Escape = 0xff1b;
inline constexpr std::uint32_t BackSpace = 0xff08;
inline constexpr std::uint32_t Delete = 0xffff;
inline constexpr std::uint32_t Home = 0xff50;
inline constexpr std::uint32_t Left = 0xff51;
inline constexpr std::uint32_t Up = 0xff52;
inline constexpr std::uint32_t Right = 0xff53;
inline constexpr std::uint32_t Down = 0xff54;
inline constexpr std::uint32_t End = 0xff57;
inline constexpr std::uint32_t Space = 0x20;
} // namespace Keys

enum Modifier : unsigned { NoModifier = 0, Shift = 1, Control = 2, Alt = 4 };

// One top-level window on the screen.
struct TopLevel {
    std::uint32_t id = 0;
    QString title;
    // The process that made it (_NET_WM_PID), 0 when it does not say; every
    // client of the case's X server runs on this machine.
    std::int32_t pid = 0;
    QRect frame; // on the root window
    bool mapped = true;
    bool operator==(const TopLevel&) const = default;
};

// A user at an X display: what the screen shows (windows, titles, pixels)
// and real input events made through XTEST, which the server delivers as it
// would a keyboard's and a mouse's.
class XDriver {
public:
    explicit XDriver(const std::string& display);
    ~XDriver();
    XDriver(const XDriver&) = delete;
    XDriver& operator=(const XDriver&) = delete;

    bool connected() const { return _connection != nullptr; }

    // The mapped top-level windows, bottom to top.
    std::vector<TopLevel> windows();
    // Every top-level window, mapped or not (for a failed case's evidence).
    std::vector<TopLevel> allWindows();
    // Polls until a window matches; none after `limit`.
    std::optional<TopLevel> waitForWindow(const std::function<bool(const TopLevel&)>& matches,
                                          std::chrono::milliseconds limit);
    // Polls until no window matches; false after `limit`.
    bool waitUntilGone(const std::function<bool(const TopLevel&)>& matches,
                       std::chrono::milliseconds limit);
    // What the screen shows in a rectangle of the root window.
    QImage grab(const QRect& area);

    // Gives a window the keyboard, as a window manager does when it is clicked.
    void focus(const TopLevel& window);
    // Asks a window to close, as its title bar's close button does.
    void close(const TopLevel& window);
    // Puts a window's top-left corner there, as a user dragging its title
    // bar does; answers the window where it now is.
    TopLevel move(const TopLevel& window, QPoint topLeft);

    void moveTo(QPoint at);
    void click(QPoint at, unsigned modifiers = NoModifier, int button = 1);
    void doubleClick(QPoint at);
    // Press at `from`, move there in steps, release at `to`, with the
    // modifiers held throughout.
    void drag(QPoint from, QPoint to, unsigned modifiers = NoModifier);
    void press(int button);
    void release(int button);

    void key(std::uint32_t keysym, unsigned modifiers = NoModifier);
    void keyDown(std::uint32_t keysym);
    void keyUp(std::uint32_t keysym);
    // Printable ASCII, shifted where the keyboard needs it.
    void type(const std::string& text);

    // Lets the server and the program catch up with what was sent.
    void settle(std::chrono::milliseconds pause = std::chrono::milliseconds(150));

private:
    struct KeyCode {
        std::uint8_t code = 0;
        bool shifted = false;
    };
    KeyCode keyCodeOf(std::uint32_t keysym) const;
    void fake(std::uint8_t type, std::uint8_t detail, QPoint at = {-1, -1});
    void holdModifiers(unsigned modifiers, bool down);
    QString property(std::uint32_t window, const char* name, std::uint32_t type);
    std::int32_t cardinal(std::uint32_t window, const char* name);
    std::vector<TopLevel> topLevels(bool mappedOnly);

    xcb_connection_t* _connection = nullptr;
    std::uint32_t _root = 0;
    std::uint8_t _firstKeyCode = 0;
    int _keysymsPerCode = 0;
    std::vector<std::uint32_t> _keymap;
};
