#include "platform/alias/KivAliasRecord.h"

#include <climits>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'K', 'i', 'v', 'A'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kHeaderSize = sizeof kMagic + 1 + 8 + 8 + 4;

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint64_t getLittleEndian(std::span<const std::uint8_t> in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= static_cast<std::uint64_t>(in[at + i]) << (8 * i);
    }
    return value;
}

} // namespace

std::vector<std::uint8_t> KivAliasRecord::data() const {
    std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
    out.push_back(kVersion);
    putLittleEndian(out, device, 8);
    putLittleEndian(out, inode, 8);
    putLittleEndian(out, path.size(), 4);
    out.insert(out.end(), path.begin(), path.end());
    return out;
}

std::optional<KivAliasRecord> KivAliasRecord::fromData(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0 ||
        data[sizeof kMagic] != kVersion) {
        return std::nullopt;
    }
    KivAliasRecord record;
    record.device = getLittleEndian(data, 5, 8);
    record.inode = getLittleEndian(data, 13, 8);
    const std::uint64_t length = getLittleEndian(data, 21, 4);
    if (length == 0 || length > PATH_MAX || data.size() - kHeaderSize != length) {
        return std::nullopt;
    }
    record.path.assign(reinterpret_cast<const char*>(data.data() + kHeaderSize), length);
    if (record.path.front() != '/' || record.path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return record;
}
