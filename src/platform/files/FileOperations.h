#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The raw file-system calls of document saving and media import. Each returns
// 0 on success or the errno of the call that failed; any thread.
namespace FileOperations {

// A file as it was when looked at: the item, its length and the times of its
// last change. The same state later means the same bytes, as far as the file
// system tells.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970
    std::int64_t changed = 0;
    bool operator==(const FileState&) const = default;
};
// The state of what the path leads to, through any symbolic links; none when
// nothing is there.
std::optional<FileState> fileState(const std::string& path);

// Given by copyFile, in place of an errno, for a source that is not, or no
// longer, the file it was: another length or item, or written to meanwhile.
inline constexpr int kSourceChanged = -1;

// A random number for unique names; any thread.
unsigned randomNumber();

// Creates `parent`/`prefix``<N>` with mkdir, which fails when the name exists,
// so two callers never share one folder; a taken name is retried with a new
// number. `path` is set on success.
int makeUniqueDirectory(const std::string& parent, const std::string& prefix, std::string& path,
                        const std::function<unsigned()>& number = randomNumber);

int makeDirectory(const std::string& path);
// Intermediate folders too; an existing folder is fine.
int makeDirectories(const std::string& path);

// A hard link to the file a symbolic link at `source` leads to.
int linkFile(const std::string& source, const std::string& destination);
// A copy of the contents, flushed to disk; `destination` must not exist and is
// removed again when the copy fails. A reflink where the file system offers
// one (its own file, sharing blocks only until either is written); otherwise
// it goes a megabyte at a time and
// gives up with ECANCELED between two of them once `cancelled` is set, so a
// copy of any length is called off at once. The source is looked at before
// and after: a copy of other bytes than it held at the start (it shrank, grew
// or was written to) fails with kSourceChanged, as does a source that is not
// in the state `expected` (when given) at the start.
inline constexpr std::size_t kCopyChunk = 1024 * 1024;
int copyFile(const std::string& source, const std::string& destination,
             const std::atomic<bool>* cancelled = nullptr, const FileState* expected = nullptr);
// The whole of a regular file of at most `limit` bytes, and, when asked, its
// state as it was opened. Opened without blocking, so a FIFO in its place is
// refused at once (EINVAL), as is anything else that is not a regular file;
// EFBIG past the limit.
int readRegularFile(const std::string& path, std::size_t limit, std::string& contents,
                    FileState* state = nullptr);
// A new file holding `contents`, flushed to disk.
int writeNewFile(const std::string& path, std::string_view contents);
int syncDirectory(const std::string& path);

// Swaps two existing items atomically; EINVAL or ENOSYS where the file system
// cannot.
int exchange(const std::string& first, const std::string& second);
int rename(const std::string& from, const std::string& to);
// The item and everything below it; a missing item is fine.
int removeTree(const std::string& path);
// True when anything, a dangling symbolic link too, is at the path.
bool itemExists(const std::string& path);
// True when the path leads, through any symbolic links, to a folder.
bool isDirectory(const std::string& path);

// The errno's text; kSourceChanged's own.
std::string errorText(int error);

} // namespace FileOperations
