#pragma once

// One synchronised action: an operation without arguments (a source's _play,
// _stop, _hardStop, _devamp) to perform on an object. The record does not
// own its target. A record without a target or a method is skipped, which is
// also how a record is cancelled in place.
using KivActionMethod = void (*)(void* target, const char* selector);

struct KivActionInfo {
    void* target = nullptr;
    const char* selector = nullptr;
    KivActionMethod method = nullptr;
    KivActionInfo* next = nullptr;

    bool isSet() const { return target != nullptr && method != nullptr; }

    void call() const {
        if (isSet()) {
            method(target, selector);
        }
    }
};

// An action of class T, made once per operation:
//   static constexpr auto kPlay = kivAction<KivAudioSource, &KivAudioSource::_play>("_play");
// and performed with KivSyncedActions::performAction(kPlay, source).
template <class T>
struct KivAction {
    const char* selector = nullptr;
    KivActionMethod method = nullptr;
};

template <class T, void (T::*Member)()>
constexpr KivAction<T> kivAction(const char* selector) {
    return {selector, [](void* target, const char*) { (static_cast<T*>(target)->*Member)(); }};
}
