#include "audio/effects/KivAudioComponentDescription.h"

#include "audio/effects/KivComponentCatalogue.h"
#include "foundation/KivNSString.h"

#include <cstring>

namespace {

constexpr std::size_t kRecordBytes = 5 * sizeof(std::uint32_t);

// Four-character text of a code; a zero byte would end a C string, so it
// shows as a blank.
std::string codeText(std::uint32_t code) {
    std::string text = KivNSString::stringWithFourCharCode(code);
    for (char& c : text) {
        if (c == '\0') {
            c = ' ';
        }
    }
    return text;
}

} // namespace

KivAudioComponentDescription::KivAudioComponentDescription(std::uint32_t type,
                                                           std::uint32_t subtype,
                                                           std::uint32_t manufacturer,
                                                           std::uint32_t flags,
                                                           std::uint32_t flagsMask, std::string uri)
    : _record{type, subtype, manufacturer, flags, flagsMask}
    , _uri(std::move(uri)) {}

KivAudioComponentDescription
KivAudioComponentDescription::descriptionWithState(const std::vector<std::uint8_t>& state) {
    KivAudioComponentDescription description;
    description.setState(state);
    return description;
}

KivAudioComponentDescription KivAudioComponentDescription::appleMatrixMixer() {
    return KivAudioComponentDescription(kKivComponentTypeMixer, kivFourCharCode("mxmx"),
                                        kivFourCharCode("appl"), 0, 0, kKivMatrixMixerURI);
}

std::vector<KivAudioComponentDescription>
KivAudioComponentDescription::componentDescriptionsOfType(std::uint32_t type) {
    std::vector<KivAudioComponentDescription> result;
    if (type == kKivComponentTypeMixer) {
        result.push_back(appleMatrixMixer());
    }
    if (auto catalogue = componentCatalogue()) {
        for (auto& component : catalogue->componentsOfType(type)) {
            if (component.type() == type) {
                result.push_back(std::move(component));
            }
        }
    }
    return result;
}

void KivAudioComponentDescription::setType(std::uint32_t type) {
    _record.componentType = type;
    _name.reset();
}

void KivAudioComponentDescription::setSubtype(std::uint32_t subtype) {
    _record.componentSubType = subtype;
    _name.reset();
}

void KivAudioComponentDescription::setManufacturer(std::uint32_t manufacturer) {
    _record.componentManufacturer = manufacturer;
    _name.reset();
}

void KivAudioComponentDescription::setPluginURI(std::string uri) {
    _uri = std::move(uri);
    _name.reset();
}

std::vector<std::uint8_t> KivAudioComponentDescription::state() const {
    std::vector<std::uint8_t> bytes(kRecordBytes + _uri.size());
    std::memcpy(bytes.data(), &_record, kRecordBytes);
    std::memcpy(bytes.data() + kRecordBytes, _uri.data(), _uri.size());
    return bytes;
}

void KivAudioComponentDescription::setState(const std::vector<std::uint8_t>& state) {
    static_assert(sizeof(KivComponentRecord) == kRecordBytes);
    std::memcpy(&_record, state.data(), std::min(state.size(), kRecordBytes));
    if (state.size() > kRecordBytes) {
        _uri.assign(reinterpret_cast<const char*>(state.data()) + kRecordBytes,
                    state.size() - kRecordBytes);
    }
    _name.reset();
}

std::optional<KivAudioComponentDescription> KivAudioComponentDescription::component() const {
    for (auto& installed : componentDescriptionsOfType(type())) {
        if (installed == *this) {
            return installed;
        }
    }
    return std::nullopt;
}

const std::string& KivAudioComponentDescription::name() const {
    if (_name) {
        return *_name;
    }
    if (*this == appleMatrixMixer()) {
        _name = "Matrix Mixer";
    } else if (auto catalogue = componentCatalogue()) {
        if (auto name = catalogue->nameOfComponent(*this); name && !name->empty()) {
            _name = std::move(*name);
        }
    }
    if (!_name) {
        _name = _uri.empty() ? codeText(manufacturer()) + ": " + codeText(subtype()) : _uri;
    }
    return *_name;
}

bool KivAudioComponentDescription::isEffect() const {
    return type() == kKivComponentTypeEffect || type() == kKivComponentTypeMusicEffect;
}

bool KivAudioComponentDescription::acceptsMIDIInput() const {
    return type() == kKivComponentTypeMusicEffect || type() == kKivComponentTypeInstrument;
}

bool KivAudioComponentDescription::isEqualToComponentDescription(
    const KivAudioComponentDescription& other) const {
    return type() == other.type() && subtype() == other.subtype() &&
           manufacturer() == other.manufacturer() && _uri == other._uri;
}

std::size_t KivAudioComponentDescription::hash() const {
    const std::size_t words = subtype() | (type() >> 16);
    return words ^ (std::hash<std::string>()(_uri) << 1);
}
