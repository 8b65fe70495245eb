#pragma once

#include "audio/effects/KivAudioComponentDescription.h"
#include "platform/effects/EffectProcessor.h"
#include "platform/effects/EffectStatus.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Where installed components come from (the plugin host provides one). The
// matrix mixer is built in and never comes from here.
class KivComponentCatalogue {
public:
    virtual ~KivComponentCatalogue() = default;
    // The installed components of a type, in a stable order. Any thread but
    // the render thread.
    virtual std::vector<KivAudioComponentDescription>
    componentsOfType(std::uint32_t type) const = 0;
    // The display name of an installed component, none when it is not installed.
    virtual std::optional<std::string>
    nameOfComponent(const KivAudioComponentDescription& component) const = 0;
    // Main thread. A new unit of an installed component, bound to the render
    // lock of the stream that will pull it; nullptr with a status
    // (kEffectComponentNotFound when it is not installed).
    virtual std::unique_ptr<EffectProcessor>
    makeProcessor(const KivAudioComponentDescription& component, std::mutex& renderLock,
                  std::int32_t& status) const {
        status = kEffectComponentNotFound;
        return nullptr;
    }
};

// Installs the process-wide catalogue (main thread, at start-up or in a test);
// null leaves only the built-in components.
void setComponentCatalogue(std::shared_ptr<const KivComponentCatalogue> catalogue);
std::shared_ptr<const KivComponentCatalogue> componentCatalogue();
