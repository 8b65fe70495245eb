#pragma once

#include <string>

// Where an effect's preset files live, and what a preset name becomes on disk.
// Plain functions of the environment; any thread.
namespace KivEffectPresetFolders {

// The extension of a preset file, without the dot.
inline constexpr const char* kPresetExtension = "aupreset";

// "<data dir>/pondra/presets/<maker>/<effect>" under the first absolute entry
// of $XDG_DATA_DIRS that holds that folder, else under the first absolute
// entry (or /usr/local/share when none is given).
std::string systemFolder(const std::string& maker, const std::string& effect);
// The same under $XDG_DATA_HOME when it is absolute, else $HOME/.local/share;
// empty when neither is known.
std::string userFolder(const std::string& maker, const std::string& effect);

// A name as one path component: every "/" becomes "_".
std::string fileSafeName(const std::string& name);
// "<folder>/<safe name>.aupreset".
std::string presetPath(const std::string& folder, const std::string& name);
// The file name without folder and extension: what a preset is called.
std::string presetName(const std::string& path);

} // namespace KivEffectPresetFolders
