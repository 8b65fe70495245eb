#include "audio/render/KivAudioBusMap.h"

#include "audio/core/KivAudioBufferList.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/ThreadRole.h"

#include <algorithm>
#include <string>

namespace {
// Log arguments are views; the log wants terminated strings.
std::string text(std::string_view view) {
    return std::string(view);
}
} // namespace

KivAudioBusMap::KivAudioBusMap(MatrixMixer& mixer)
    : _mixer(mixer)
    , _busCount(mixer.inputBusCount())
    , _renderMap(KivRenderInfoList::make(_busCount))
    , _published(std::make_unique<std::atomic<const KivRenderInfo*>[]>(_busCount)) {
    _attachedAudio.reserve(_busCount);
    _audioToUsedBus.reserve(_busCount);
    for (std::uint32_t bus = 0; bus < _busCount; ++bus) {
        _freeBusses.push_back(bus);
        _published[bus].store(nullptr, std::memory_order_relaxed);
        _mixer.setParameter(MixerParameter::Enable, MixerScope::Input, bus, 0.0f);
    }
}

bool KivAudioBusMap::attach(KivAudioRendering& thing, std::string_view deviceName,
                            std::string_view thingName) {
    assertNotRenderThread();
    if (KivEnvironment::logLevel() >= 3) {
        logFormat("%s attaching %s", text(deviceName).c_str(), text(thingName).c_str());
    }
    std::lock_guard control(_control);
    if (_audioToUsedBus.count(&thing) != 0) {
        return true;
    }
    if (_freeBusses.empty()) {
        logFormat("Error: No busses left for device %s; can't attach %s", text(deviceName).c_str(),
                  text(thingName).c_str());
        return false;
    }
    const std::uint32_t bus = _freeBusses.front();
    _freeBusses.pop_front();
    _attachedAudio.push_back(&thing);
    _audioToUsedBus.emplace(&thing, bus);

    thing.registerRenderInfo(&_renderMap.entries[bus]);
    _published[bus].store(&_renderMap.entries[bus], std::memory_order_release);
    _mixer.setParameter(MixerParameter::Enable, MixerScope::Input, bus, 1.0f);
    return true;
}

void KivAudioBusMap::detach(KivAudioRendering& thing, std::string_view deviceName,
                            std::string_view thingName) {
    assertNotRenderThread();
    if (KivEnvironment::logLevel() >= 3) {
        logFormat("%s detaching %s", text(deviceName).c_str(), text(thingName).c_str());
    }
    std::lock_guard control(_control);
    const auto found = _audioToUsedBus.find(&thing);
    if (found == _audioToUsedBus.end()) {
        return;
    }
    const std::uint32_t bus = found->second;
    _mixer.setParameter(MixerParameter::Enable, MixerScope::Input, bus, 0.0f);
    _published[bus].store(nullptr, std::memory_order_seq_cst);
    awaitPullEnd();
    _renderMap.entries[bus].clear();

    _freeBusses.push_front(bus);
    _attachedAudio.erase(std::find(_attachedAudio.begin(), _attachedAudio.end(), &thing));
    _audioToUsedBus.erase(found);
}

// The entry was unpublished before this call. A pull that began before that
// may still hold the old entry, so wait for it to end; a pull that begins
// later finds the entry unpublished. Both sides use sequentially consistent
// operations so that one of the two always sees the other.
void KivAudioBusMap::awaitPullEnd() {
    const std::uint32_t ended = _pullsEnded.load(std::memory_order_seq_cst);
    if (_pulling.load(std::memory_order_seq_cst)) {
        _pullsEnded.wait(ended, std::memory_order_seq_cst);
    }
}

std::optional<std::uint32_t> KivAudioBusMap::busOf(const KivAudioRendering& thing) const {
    std::lock_guard control(_control);
    const auto found = _audioToUsedBus.find(&thing);
    if (found == _audioToUsedBus.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<KivAudioRendering*> KivAudioBusMap::attached() const {
    std::lock_guard control(_control);
    return _attachedAudio;
}

std::uint32_t KivAudioBusMap::freeBusCount() const {
    std::lock_guard control(_control);
    return static_cast<std::uint32_t>(_freeBusses.size());
}

std::int32_t KivAudioBusMap::pull(KivRenderFlags& flags, const KivRenderTimeStamp& timeStamp,
                                  const AudioChannels& outputs) {
    _pulling.store(true, std::memory_order_seq_cst);
    _cycleFlags = &flags;
    _cycleTimeStamp = &timeStamp;
    const std::int32_t status = _mixer.process(*this, outputs);
    _cycleFlags = nullptr;
    _cycleTimeStamp = nullptr;
    _pulling.store(false, std::memory_order_seq_cst);
    _pullsEnded.fetch_add(1, std::memory_order_seq_cst);
    _pullsEnded.notify_all();
    return status;
}

std::int32_t KivAudioBusMap::renderBus(std::uint32_t bus, const AudioChannels& channels) {
    const KivRenderInfo* entry =
        bus < _busCount ? _published[bus].load(std::memory_order_seq_cst) : nullptr;
    if (entry != nullptr) {
        return entry->call(*_cycleFlags, *_cycleTimeStamp, 0, channels);
    }
    // The mixer's bus buffer holds whatever the last bus left in it.
    KivSilenceAudioBufferList(channels);
    return 0;
}
