#pragma once

#include "foundation/Signal.h"

#include <any>
#include <map>
#include <string>

using NotificationUserInfo = std::map<std::string, std::any>;

struct Notification {
    std::string name;
    // The sender, compared by identity only; never dereferenced here.
    const void* object = nullptr;
    NotificationUserInfo userInfo;
};

// Broadcasts by name, synchronously on the posting thread, to every matching
// observer. Thread-safe; observers may end their observation during a post.
class NotificationCenter {
public:
    // The process-wide centre that the application's broadcasts go through.
    static NotificationCenter& defaultCenter();

    // An empty name observes every notification; a null object any sender.
    [[nodiscard]] Connection addObserver(std::string name, const void* object,
                                         std::function<void(const Notification&)> block);

    void post(const Notification& notification) const;
    void post(std::string name, const void* object = nullptr,
              NotificationUserInfo userInfo = {}) const;

private:
    Signal<const Notification&> _signal;
};
