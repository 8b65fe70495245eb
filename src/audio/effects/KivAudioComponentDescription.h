#pragma once

#include "audio/core/KivFourCharCode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The five words that identify a kind of processing component.
struct KivComponentRecord {
    std::uint32_t componentType = 0;
    std::uint32_t componentSubType = 0;
    std::uint32_t componentManufacturer = 0;
    std::uint32_t componentFlags = 0;
    std::uint32_t componentFlagsMask = 0;
};

inline constexpr std::uint32_t kKivComponentTypeEffect = kivFourCharCode("aufx");
inline constexpr std::uint32_t kKivComponentTypeMusicEffect = kivFourCharCode("aumf");
inline constexpr std::uint32_t kKivComponentTypeInstrument = kivFourCharCode("aumu");
inline constexpr std::uint32_t kKivComponentTypeGenerator = kivFourCharCode("augn");
inline constexpr std::uint32_t kKivComponentTypeMixer = kivFourCharCode("aumx");

// The plugin URI reserved for the engine's own matrix mixer; no plugin has it.
inline constexpr const char* kKivMatrixMixerURI = "urn:pondra:builtin:matrix-mixer";

// A component as a value: its type code, the two identifying words, and the
// URI of the plugin that implements it (empty for none). The display name is
// looked up once, on first request, and kept.
class KivAudioComponentDescription {
public:
    KivAudioComponentDescription() = default;
    KivAudioComponentDescription(std::uint32_t type, std::uint32_t subtype,
                                 std::uint32_t manufacturer, std::uint32_t flags = 0,
                                 std::uint32_t flagsMask = 0, std::string uri = {});

    static KivAudioComponentDescription description() { return {}; }
    // From bytes made by state(); see setState().
    static KivAudioComponentDescription
    descriptionWithState(const std::vector<std::uint8_t>& state);
    // The matrix mixer every device and source builds on: 'aumx' 'mxmx' 'appl'
    // with the reserved URI.
    static KivAudioComponentDescription appleMatrixMixer();
    // Every installed component of a type: the built-in ones first, then the
    // catalogue's (KivComponentCatalogue.h), in the catalogue's order.
    static std::vector<KivAudioComponentDescription>
    componentDescriptionsOfType(std::uint32_t type);

    std::uint32_t type() const { return _record.componentType; }
    void setType(std::uint32_t type);
    std::uint32_t subtype() const { return _record.componentSubType; }
    void setSubtype(std::uint32_t subtype);
    std::uint32_t manufacturer() const { return _record.componentManufacturer; }
    void setManufacturer(std::uint32_t manufacturer);
    const std::string& pluginURI() const { return _uri; }
    void setPluginURI(std::string uri);
    // The stored record itself, for a catalogue that fills it in place.
    KivComponentRecord* record() { return &_record; }
    const KivComponentRecord& componentRecord() const { return _record; }

    // The five words as 20 bytes in host order, followed by the URI's bytes.
    std::vector<std::uint8_t> state() const;
    // Takes up to 20 bytes into the words (a shorter state leaves the
    // remaining words as they are); bytes past 20 are the URI.
    void setState(const std::vector<std::uint8_t>& state);

    // The first installed component equal to this one, if any.
    std::optional<KivAudioComponentDescription> component() const;
    // The installed component's display name; without one, the URI, or for a
    // description without URI "<manufacturer>: <subtype>" as four characters each.
    const std::string& name() const;

    bool isEffect() const;
    bool acceptsMIDIInput() const;
    bool isInstrument() const { return type() == kKivComponentTypeInstrument; }
    bool isPlayer() const { return type() == kKivComponentTypeGenerator; }

    // Type, subtype, manufacturer and URI; flags and mask do not count.
    bool isEqualToComponentDescription(const KivAudioComponentDescription& other) const;
    bool operator==(const KivAudioComponentDescription& other) const {
        return isEqualToComponentDescription(other);
    }
    std::size_t hash() const;

private:
    KivComponentRecord _record;
    std::string _uri;
    mutable std::optional<std::string> _name; // filled by name(); cleared when identity changes
};

template <>
struct std::hash<KivAudioComponentDescription> {
    std::size_t operator()(const KivAudioComponentDescription& d) const { return d.hash(); }
};
