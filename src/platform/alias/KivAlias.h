#pragma once

#include "foundation/KivArchivable.h"
#include "platform/alias/KivAliasRecord.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

class KivKeyedDecoder;

// A reference to a file that still finds it after it is renamed or moved on
// its filesystem. While the program runs, an O_PATH descriptor keeps hold of
// the file itself and /proc/self/fd names its present path. An alias read from
// an archive has no descriptor: it finds its file at the last known path, or
// else the recorded one, only when the device and inode there still match (so
// a file moved while the program was not running is not found). A missing file
// resolves to the empty string, without a message and without asking anyone.
//
// Any thread: the main thread and the read-ahead workers resolve the same
// alias; the last known path and the descriptor are guarded by a mutex.
class KivAlias final : public KivArchivable {
public:
    // An alias without a record: it resolves to the empty string.
    KivAlias() = default;
    explicit KivAlias(std::optional<KivAliasRecord> record);
    KivAlias(const KivAlias& other);
    KivAlias& operator=(const KivAlias&) = delete;

    // nullptr for an empty path or a file that does not exist (silently);
    // other failures are logged and give nullptr too.
    static std::shared_ptr<KivAlias> aliasWithPath(const std::string& path);

    // The file's present path, or the empty string when it cannot be found.
    // A successful resolution becomes the last known path.
    std::string fullPath() const;
    // "file://" and the percent-encoded full path; empty when not found.
    std::string fileURL() const;
    std::string lastKnownFullPath() const;

    std::optional<KivAliasRecord> record() const;
    // From now on refers to the other alias's file as the other does (record,
    // hold and last known path); whoever shares this alias follows at once,
    // without reopening anything.
    void refer(const KivAlias& other);

    // Equal when both resolve to the same path; two aliases that both fail to
    // resolve are equal only when their records are equal, so references to
    // two different missing files never are.
    bool isEqual(const KivAlias& other) const;
    bool operator==(const KivAlias& other) const { return isEqual(other); }
    std::string description() const { return fullPath(); }
    // Shares the hold on the file, so the copy follows moves too.
    std::shared_ptr<KivAlias> copy() const { return std::make_shared<KivAlias>(*this); }

    // "alias": the record's bytes; "lastKnownPath": the last known path.
    void encodeWithCoder(KivKeyedEncoder& coder) const override;
    static std::shared_ptr<KivAlias> initWithCoder(const KivKeyedDecoder& coder);

private:
    class Descriptor;

    std::string resolveByDescriptor(const Descriptor& descriptor) const;
    std::string resolveByIdentity(const KivAliasRecord& record,
                                  const std::string& lastKnownPath) const;

    mutable std::mutex _mutex;
    std::optional<KivAliasRecord> _record;
    mutable std::shared_ptr<const Descriptor> _descriptor; // guarded by _mutex
    mutable std::string _lastKnownFullPath;                // guarded by _mutex
};
