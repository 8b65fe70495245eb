#pragma once

#include <memory>
#include <string>
#include <string_view>

class KivAlias;

// The media of a package are regular files inside it. A "Media/x.wav" that is
// a symbolic link, or a "Media" folder that is one, leads out of the package
// and is never followed: such a cue is missing, as is one whose file is gone.
namespace PackageMediaFile {

// A reference to the package's media file at `documentPath` ("Media/x.wav"),
// or nullptr when there is no regular file reached without a link there.
// `packagePath` must be canonical (absolute, without links). Any thread.
std::shared_ptr<KivAlias> alias(const std::string& packagePath, std::string_view documentPath);

} // namespace PackageMediaFile
