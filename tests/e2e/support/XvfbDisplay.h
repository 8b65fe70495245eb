#pragma once

#include <sys/types.h>

#include <string>

// An X server of the test's own: Xvfb on the first free display, 1280 x 1024
// at 24 bits, no window manager. It dies with the test process.
class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    static bool installed();

    // ":N", or empty when the server did not start.
    const std::string& name() const { return _name; }

private:
    pid_t _pid = -1;
    std::string _name;
};
