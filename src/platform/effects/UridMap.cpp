#include "platform/effects/UridMap.h"

namespace {

LV2_URID mapCallback(LV2_URID_Map_Handle handle, const char* uri) {
    return uri ? static_cast<UridMap*>(handle)->map(uri) : 0;
}

const char* unmapCallback(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    return static_cast<UridMap*>(handle)->unmap(urid);
}

} // namespace

UridMap::UridMap()
    : _mapData{this, mapCallback}
    , _unmapData{this, unmapCallback} {}

std::uint32_t UridMap::map(std::string_view uri) {
    if (uri.empty()) {
        return 0;
    }
    std::lock_guard lock(_mutex);
    if (auto found = _ids.find(uri); found != _ids.end()) {
        return found->second;
    }
    _uris.emplace_back(uri);
    const auto id = static_cast<std::uint32_t>(_uris.size());
    _ids.emplace(_uris.back(), id);
    return id;
}

const char* UridMap::unmap(std::uint32_t urid) const {
    std::lock_guard lock(_mutex);
    if (urid == 0 || urid > _uris.size()) {
        return nullptr;
    }
    return _uris[urid - 1].c_str();
}
