#pragma once

#include <cstddef>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class Cart;
class PondraLogger;

// The root dictionary of a workspace's "document" with its ten keys. Decoding
// validates every value, so a document that reads without an error can be
// applied to a workspace as it stands.
struct WorkspaceArchive {
    // A document larger than this is refused before it is parsed.
    static constexpr std::size_t kMaximumDocumentSize = 256u << 20;
    // More carts than that is refused before any is decoded: each is a tab.
    static constexpr std::size_t kMaximumCarts = 1000;

    std::string version;
    std::optional<std::string> audioDeviceUID;
    int deviceChannel = 1;
    std::vector<std::shared_ptr<Cart>> carts;
    bool locked = false;
    bool ducked = false;
    float masterVolume = 1.0f;
    std::optional<float> duckedVolume;
    // A dictionary, or null when absent.
    nlohmann::json settings;
    // Null when absent.
    std::shared_ptr<PondraLogger> logger;

    // The archive text; the cues under the internal indexes of `leftOut`
    // (one set per cart) are not written. nullopt with `error` when an object
    // cannot be archived.
    std::optional<std::string> archivedText(const std::vector<std::set<std::size_t>>& leftOut,
                                            std::string& error) const;
    static std::optional<WorkspaceArchive> fromText(std::string_view text, std::string& error);
};
