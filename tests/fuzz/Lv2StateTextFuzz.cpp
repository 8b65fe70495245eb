// Feeds arbitrary text to the check that stands before lilv's reader of a
// saved plugin state. Whatever it accepts must give lilv a state it reads and
// writes back as the processor does; nothing may crash, hang, leak or trip
// the sanitizers.
#include "platform/effects/Lv2StateText.h"
#include "platform/effects/UridMap.h"

#include <lilv/lilv.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static UridMap urids;
    static LilvWorld* const world = lilv_world_new();
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!isReadableStateText(text)) {
        return 0;
    }
    LilvState* state = lilv_state_new_from_string(world, urids.mapFeatureData(), text.c_str());
    if (!state || !lilv_state_get_plugin_uri(state)) {
        std::abort(); // accepted, yet lilv found no state for a plugin
    }
    char* written = lilv_state_to_string(world, urids.mapFeatureData(), urids.unmapFeatureData(),
                                         state, "urn:pondra:effect-state", nullptr);
    lilv_free(written);
    lilv_state_free(state);
    return 0;
}
