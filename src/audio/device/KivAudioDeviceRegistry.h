#pragma once

#include "audio/device/KivAudioNotifications.h"

#include <map>
#include <string>
#include <vector>

// Gives each appearance of a device an object id. Ids come from one counter
// for the whole process and are never given out twice: a device that is
// unplugged and plugged again gets a new id, so objects made for the old one
// never mistake the new one for theirs. Not thread-safe; its owner locks.
class KivAudioDeviceRegistry {
public:
    struct Update {
        std::vector<AudioObjectID> added;
        std::vector<AudioObjectID> removed;
    };

    // Takes the UIDs now present: known ones keep their ids, new ones get
    // fresh ids, missing ones are dropped.
    Update update(const std::vector<std::string>& presentUIDs);

    AudioObjectID idForUID(const std::string& uid) const;
    // Empty for an id that is not present.
    std::string uidForID(AudioObjectID id) const;
    bool isPresent(AudioObjectID id) const { return _uids.count(id) != 0; }

private:
    std::map<std::string, AudioObjectID> _ids;
    std::map<AudioObjectID, std::string> _uids;
};
