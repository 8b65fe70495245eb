#include "effecteditor/EffectPresetSaver.h"

#include "KivUI/services/KivPrompts.h"
#include "effecteditor/EffectPresetExecutor.h"
#include "effecteditor/KivEffectPresetFolders.h"
#include "foundation/KivLog.h"
#include "platform/files/FileOperations.h"

#include <cerrno>

EffectPresetSaver::EffectPresetSaver(KivPrompts& prompts,
                                     std::shared_ptr<EffectPresetExecutor> executor)
    : _prompts(prompts)
    , _executor(std::move(executor)) {}

void EffectPresetSaver::save(const std::string& typed, const std::string& folder, Contents contents,
                             Completion done) {
    _done = std::move(done);
    _saving = true;
    const std::string name = KivEffectPresetFolders::fileSafeName(typed);
    if (name.empty()) {
        return fail(name, "A preset needs a name.");
    }
    if (folder.empty()) {
        return fail(name, "There is no folder to save presets in.");
    }
    const std::string path = KivEffectPresetFolders::presetPath(folder, name);
    // The background work holds its own executor and touches nothing of this:
    // the saver may go while it runs, and the work handed back then does nothing.
    _executor->runInBackground([this, executor = _executor, alive = std::weak_ptr<bool>(_alive),
                                name, folder, path, contents = std::move(contents)]() mutable {
        const bool exists = FileOperations::itemExists(path);
        executor->runOnOwner(
            [this, alive, name, folder, path, exists, contents = std::move(contents)] {
                if (alive.lock()) {
                    write(name, folder, path, exists, contents);
                }
            });
    });
}

void EffectPresetSaver::write(const std::string& name, const std::string& folder,
                              const std::string& path, bool exists, const Contents& contents) {
    if (exists) {
        const int answer = _prompts.runAlert(
            KivAlert{QStringLiteral("\u201C%1\u201D already exists. Do you want to replace it?")
                         .arg(QString::fromStdString(name)),
                     QStringLiteral("A preset with the same name already exists. Replacing it will "
                                    "overwrite its current contents."),
                     {QStringLiteral("Replace"), QStringLiteral("Cancel")}});
        if (answer != 0) {
            return finish(Result::Cancelled);
        }
    }
    std::string problem;
    const std::optional<std::string> text = contents(name, problem);
    if (!text) {
        return fail(name, problem);
    }
    _executor->runInBackground([this, executor = _executor, alive = std::weak_ptr<bool>(_alive),
                                name, folder, path, text = *text] {
        int error = FileOperations::makeDirectories(folder);
        if (error == 0) {
            error = EEXIST;
            std::string temporary;
            for (int attempt = 0; attempt < 8 && error == EEXIST; ++attempt) {
                temporary = path + "-" + std::to_string(FileOperations::randomNumber());
                error = FileOperations::writeNewFile(temporary, text);
            }
            if (error == 0) {
                error = FileOperations::rename(temporary, path);
            }
            if (error != 0) {
                FileOperations::removeTree(temporary);
            } else {
                FileOperations::syncDirectory(folder);
            }
        }
        executor->runOnOwner([this, alive, name, path, error] {
            if (!alive.lock()) {
                return;
            }
            if (error != 0) {
                return fail(name, FileOperations::errorText(error));
            }
            _savedName = name;
            finish(Result::Saved);
        });
    });
}

void EffectPresetSaver::finish(Result result) {
    // The completion may start the next save.
    Completion done = std::move(_done);
    _done = nullptr;
    _saving = false;
    done(result);
}

void EffectPresetSaver::fail(const std::string& name, const std::string& reason) {
    logFormat("Error: the preset %s could not be saved: %s", name.c_str(), reason.c_str());
    _prompts.runAlert(KivAlert{QStringLiteral("The preset could not be saved"),
                               QString::fromStdString(reason),
                               {QStringLiteral("OK")},
                               KivAlert::Style::Critical});
    finish(Result::Failed);
}
