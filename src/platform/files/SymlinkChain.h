#pragma once

#include <optional>
#include <string>

// Follows a chain of symbolic links to the first item that is not one; a
// relative destination is taken against its link's folder. nullopt for a
// cycle, an item that cannot be examined or a link that cannot be read. Links
// are told apart by device and inode, so a cycle is found however its paths
// are spelled.
std::optional<std::string> ResolveSymlinkChain(const std::string& path);
