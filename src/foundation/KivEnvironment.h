#pragma once

#include <any>
#include <map>
#include <string>
#include <vector>

// Process-wide values any part of the program may consult. Class operations only.
class KivEnvironment {
public:
    KivEnvironment() = delete;

    // Read from any thread, the render and MIDI threads included; written on
    // the main thread. Trace lines are written at 3 or more.
    static int logLevel();
    static void setLogLevel(int level);

    // Main thread. An empty value stands for nil: it removes the key, and a
    // missing key reads as an empty value.
    static std::any objectForKey(const std::string& key);
    static void setObject(std::any value, const std::string& key);

    // One entry per IPv4 interface, with "name", "address", "netmask" and
    // "broadcast" in dotted notation.
    static std::vector<std::map<std::string, std::string>> ipAddresses();
};
