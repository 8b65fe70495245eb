#pragma once

#include <lv2/urid/urid.h>

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

// The URID map and unmap features handed to every plugin instance. Plugins
// call them from any thread, so both take a mutex; a URI already mapped is
// found without allocating, and a returned URI text stays valid for the
// life of the map.
class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    // 0 only for an empty URI.
    std::uint32_t map(std::string_view uri);
    // nullptr for 0 or an id never given out.
    const char* unmap(std::uint32_t urid) const;

    LV2_URID_Map* mapFeatureData() { return &_mapData; }
    LV2_URID_Unmap* unmapFeatureData() { return &_unmapData; }

private:
    mutable std::mutex _mutex;
    std::map<std::string, std::uint32_t, std::less<>> _ids;
    std::deque<std::string> _uris; // id - 1 -> URI; a deque keeps each string in place
    LV2_URID_Map _mapData;
    LV2_URID_Unmap _unmapData;
};
