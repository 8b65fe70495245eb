#include "foundation/NotificationCenter.h"

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

Connection NotificationCenter::addObserver(std::string name, const void* object,
                                           std::function<void(const Notification&)> block) {
    return _signal.connect([name = std::move(name), object,
                            block = std::move(block)](const Notification& notification) {
        if ((name.empty() || name == notification.name) &&
            (!object || object == notification.object)) {
            block(notification);
        }
    });
}

void NotificationCenter::post(const Notification& notification) const {
    _signal.emit(notification);
}

void NotificationCenter::post(std::string name, const void* object,
                              NotificationUserInfo userInfo) const {
    post(Notification{std::move(name), object, std::move(userInfo)});
}
