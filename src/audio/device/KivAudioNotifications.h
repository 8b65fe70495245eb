#pragma once

#include "audio/core/KivFourCharCode.h"

#include <cstdint>

using AudioObjectID = std::uint32_t;
inline constexpr AudioObjectID kAudioObjectUnknown = 0;

// Posted through NotificationCenter::defaultCenter(), synchronously on the
// audio backend's notification thread. The object is null unless said.
inline constexpr const char* KivAudioHardwareDeviceListDidChangeNotification =
    "KivAudioHardwareDeviceListDidChangeNotification";
inline constexpr const char* KivAudioHardwareDefaultOutputDeviceDidChangeNotification =
    "KivAudioHardwareDefaultOutputDeviceDidChangeNotification";
// Posted together with the default output change: no backend tells the two apart.
inline constexpr const char* KivAudioHardwareDefaultSystemOutputDeviceDidChangeNotification =
    "KivAudioHardwareDefaultSystemOutputDeviceDidChangeNotification";
// Object: the KivAudioDevice. User info: four std::uint32_t under the keys below.
inline constexpr const char* KivAudioDevicePropertyDidChangeNotification =
    "KivAudioDevicePropertyDidChangeNotification";

inline constexpr const char* kKivAudioObjectIDKey = "AudioObjectID";
inline constexpr const char* kKivPropertySelectorKey = "PropertySelector";
inline constexpr const char* kKivPropertyScopeKey = "PropertyScope";
inline constexpr const char* kKivPropertyElementKey = "PropertyElement";

// Property selectors, scope and element of the device notification.
inline constexpr std::uint32_t kKivDevicePropertyDeviceIsAlive = kivFourCharCode("livn");
inline constexpr std::uint32_t kKivDevicePropertyProcessorOverload = kivFourCharCode("over");
inline constexpr std::uint32_t kKivDevicePropertyNominalSampleRate = kivFourCharCode("nsrt");
inline constexpr std::uint32_t kKivPropertyScopeGlobal = kivFourCharCode("glob");
inline constexpr std::uint32_t kKivPropertyElementMain = 0;

// The status of a read from a device that is no longer there.
inline constexpr std::int32_t kKivAudioHardwareBadObjectError =
    static_cast<std::int32_t>(kivFourCharCode("!obj"));
