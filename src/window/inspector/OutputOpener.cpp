#include "window/inspector/OutputOpener.h"

#include "audio/device/KivAudioDevice.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cstdint>
#include <thread>

// GUI thread only; the threads hold it weakly and reach it only there.
struct OutputOpener::State {
    std::uint64_t attempt = 0;
    bool opening = false;
    Opened opened;
};

OutputOpener::OutputOpener()
    : _state(std::make_shared<State>()) {}

OutputOpener::~OutputOpener() = default;

bool OutputOpener::isOpening() const {
    return _state->opening;
}

void OutputOpener::open(std::shared_ptr<KivAudioDevice> device, Opened opened) {
    const std::uint64_t attempt = ++_state->attempt;
    _state->opening = true;
    _state->opened = std::move(opened);
    std::thread([device = std::move(device), weak = std::weak_ptr<State>(_state), attempt] {
        device->engage();
        const bool open = device->isOpen();
        const auto tell = [device, weak, attempt, open] {
            const std::shared_ptr<State> state = weak.lock();
            if (!state || state->attempt != attempt) {
                releaseOffThread(device);
                return;
            }
            state->opening = false;
            const Opened tellOpened = std::move(state->opened);
            state->opened = nullptr;
            tellOpened(device, open);
            // Whoever took the device over holds it open now; a device nobody
            // took is closed where closing may hang.
            if (device->engagedCount() > 1 || !open) {
                device->disengage();
            } else {
                releaseOffThread(device);
            }
        };
        QCoreApplication* application = QCoreApplication::instance();
        if (!application || !QMetaObject::invokeMethod(application, tell, Qt::QueuedConnection)) {
            device->disengage();
        }
    }).detach();
}

void OutputOpener::releaseOffThread(std::shared_ptr<KivAudioDevice> device) {
    std::thread([device = std::move(device)] { device->disengage(); }).detach();
}
