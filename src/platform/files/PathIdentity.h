#pragma once

#include <string>

// Telling whether two spellings of a path name one item: "Show.pondra/",
// "shows/../shows/Show.pondra" and a symbolic link to it are one package.
// Any thread.
namespace PathIdentity {

// The absolute path with ".", "..", repeated and trailing "/" and symbolic
// links resolved. An item that does not exist yet is named in its resolved
// folder; a path whose folder cannot be resolved comes back as given.
std::string canonicalPath(const std::string& path);

// True when both paths lead to one existing item (same device and inode).
bool isSameItem(const std::string& path, const std::string& other);

// True when `path` lies below `folder`, both canonical, compared by whole
// components; the folder itself does not.
bool isBelow(const std::string& path, const std::string& folder);

} // namespace PathIdentity
