#include "audio/device/KivAudioDeviceRegistry.h"

#include <atomic>
#include <set>

namespace {
std::atomic<AudioObjectID> gNextID{1};
}

KivAudioDeviceRegistry::Update
KivAudioDeviceRegistry::update(const std::vector<std::string>& presentUIDs) {
    Update result;
    const std::set<std::string> present(presentUIDs.begin(), presentUIDs.end());
    for (auto it = _ids.begin(); it != _ids.end();) {
        if (present.count(it->first)) {
            ++it;
            continue;
        }
        result.removed.push_back(it->second);
        _uids.erase(it->second);
        it = _ids.erase(it);
    }
    for (const std::string& uid : presentUIDs) {
        if (_ids.count(uid)) {
            continue;
        }
        const AudioObjectID id = gNextID.fetch_add(1, std::memory_order_relaxed);
        _ids[uid] = id;
        _uids[id] = uid;
        result.added.push_back(id);
    }
    return result;
}

AudioObjectID KivAudioDeviceRegistry::idForUID(const std::string& uid) const {
    auto found = _ids.find(uid);
    return found == _ids.end() ? kAudioObjectUnknown : found->second;
}

std::string KivAudioDeviceRegistry::uidForID(AudioObjectID id) const {
    auto found = _uids.find(id);
    return found == _uids.end() ? std::string() : found->second;
}
