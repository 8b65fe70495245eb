#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What an alias remembers of its file: the identity (device, inode) and the
// path where it was found. Stored as our own small record:
//   "KivA", format version 1 (one byte), device and inode (8 bytes each,
//   little-endian), path length (4 bytes, little-endian), the path bytes.
struct KivAliasRecord {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string path; // absolute

    bool operator==(const KivAliasRecord&) const = default;

    std::vector<std::uint8_t> data() const;
    // nullopt for anything that is not exactly such a record with an absolute
    // path free of zero bytes and no longer than PATH_MAX.
    static std::optional<KivAliasRecord> fromData(std::span<const std::uint8_t> data);
};
