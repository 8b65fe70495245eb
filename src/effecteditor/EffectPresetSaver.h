#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

class EffectPresetExecutor;
class KivPrompts;

// Saves an effect's settings as a preset file. Every look at the disk runs on
// the executor's background thread: the file is written beside its target
// under a temporary name and renamed into place, so a failed save leaves any
// older preset of that name whole. Alerts go through `prompts`. Main thread,
// apart from the file work.
class EffectPresetSaver {
public:
    enum class Result {
        Saved,
        // The user chose not to replace an existing preset: ask for another name.
        Cancelled,
        // Told to the user; nothing changed.
        Failed,
    };
    // The file's text for a preset named `name`; none, with `problem` told,
    // when the settings cannot be stored. Main thread.
    using Contents =
        std::function<std::optional<std::string>(const std::string& name, std::string& problem)>;
    // Main thread, once per save, never after the saver is gone.
    using Completion = std::function<void(Result)>;

    EffectPresetSaver(KivPrompts& prompts, std::shared_ptr<EffectPresetExecutor> executor);
    EffectPresetSaver(const EffectPresetSaver&) = delete;
    EffectPresetSaver& operator=(const EffectPresetSaver&) = delete;

    // `name` as typed ("/" becomes "_"), into `folder` (made when missing).
    // One save at a time: the caller waits for `done` before the next.
    void save(const std::string& name, const std::string& folder, Contents contents,
              Completion done);
    bool isSaving() const { return _saving; }
    // The name of the last preset saved.
    const std::string& savedName() const { return _savedName; }

private:
    void write(const std::string& name, const std::string& folder, const std::string& path,
               bool exists, const Contents& contents);
    void finish(Result result);
    void fail(const std::string& name, const std::string& reason);

    KivPrompts& _prompts;
    std::shared_ptr<EffectPresetExecutor> _executor;
    Completion _done;
    bool _saving = false;
    std::string _savedName;
    // Work handed back after the saver is gone finds this expired.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
