#pragma once

#include <string>

class KivEffect;
class KivPrompts;

// Saves an effect's settings as a preset file. The file is written beside its
// target under a temporary name and renamed into place, so a failed save
// leaves any older preset of that name whole; the effect keeps its present
// preset name then. Alerts go through `prompts`. Main thread.
class EffectPresetSaver {
public:
    enum class Result {
        Saved,
        // The user chose not to replace an existing preset: ask for another name.
        Cancelled,
        // Told to the user; nothing changed.
        Failed,
    };

    EffectPresetSaver(KivEffect& effect, KivPrompts& prompts)
        : _effect(effect)
        , _prompts(prompts) {}

    // `name` as typed ("/" becomes "_"), into `folder` (made when missing).
    Result save(const std::string& name, const std::string& folder);
    // The path of the last preset saved.
    const std::string& savedPath() const { return _savedPath; }

private:
    Result fail(const std::string& name, const std::string& reason);

    KivEffect& _effect;
    KivPrompts& _prompts;
    std::string _savedPath;
};
