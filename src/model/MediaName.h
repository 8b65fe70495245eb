#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Names of media files inside a package ("Media/<file name>") and in the
// temporary media folder.
namespace MediaName {

inline constexpr const char* kMediaFolder = "Media";
inline constexpr int kMaximumTries = 10000;

// The text after the last "/" of the path, trailing "/" ignored.
std::string lastPathComponent(std::string_view path);

// A file name as text: unchanged when it is valid UTF-8, else every byte taken
// as Latin-1, which is what a name in another encoding most often is. Copies
// get such names, so a document never holds a name it cannot store.
std::string textName(std::string_view fileName);

// "x.wav" with n = 2 gives "x-2.wav"; a name without extension, or whose only
// point leads it (".wav"), gets the number at its end.
std::string numberedName(std::string_view fileName, int n);

// `fileName` when it is free, else the first free numbered name, n = 1 up to
// kMaximumTries; each try is numbered from the original name, so names never
// grow from one try to the next. nullopt when every try is taken.
std::optional<std::string> firstFreeName(const std::string& fileName,
                                         const std::function<bool(const std::string&)>& isTaken);

// A cue's package-relative media path is trusted only as "Media/<one
// component>": a document can never point a cue outside its package.
bool isTrustedDocumentPath(std::string_view documentPath);

// True when `path` lies below `folder`: whole path components compared
// without regard to letter case, so "/a/Show" does not contain "/a/Shows/x";
// the folder itself, or an empty folder, contains nothing.
bool isInsideFolder(std::string_view path, std::string_view folder);

} // namespace MediaName
