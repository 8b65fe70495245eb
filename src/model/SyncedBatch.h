#pragma once

#include "audio/device/KivAudioDevice.h"

#include <memory>

// One synchronised batch of a device for the life of a scope, so it is
// closed on every path: every cue started inside starts on one render cycle.
class SyncedBatch {
public:
    explicit SyncedBatch(std::shared_ptr<KivAudioDevice> device)
        : _device(std::move(device)) {
        if (_device) {
            _device->startSyncedActions();
        }
    }
    ~SyncedBatch() {
        if (_device) {
            _device->endSyncedActions();
        }
    }
    SyncedBatch(const SyncedBatch&) = delete;
    SyncedBatch& operator=(const SyncedBatch&) = delete;

private:
    std::shared_ptr<KivAudioDevice> _device;
};
