#pragma once

#include <string>

// Where a package keeps its archive, and which package a path given to open
// names. Any thread.
namespace PackagePath {

// The archive's file inside the package folder.
inline constexpr const char* kDocumentFile = "document";

// The package folder a path names: the path itself ("Show.pondra",
// "Show.pondra/"), or, when it names the archive inside a package
// ("Show.pondra/document", not a folder), the folder holding it. Trailing
// "/" are dropped.
std::string packageOf(const std::string& path);

} // namespace PackagePath
