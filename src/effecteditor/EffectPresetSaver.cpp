#include "effecteditor/EffectPresetSaver.h"

#include "KivUI/KivPrompts.h"
#include "audio/KivEffect.h"
#include "effecteditor/KivEffectPresetFolders.h"
#include "foundation/KivArchiveValue.h"
#include "foundation/KivLog.h"
#include "platform/files/FileOperations.h"

#include <cerrno>

EffectPresetSaver::Result EffectPresetSaver::save(const std::string& typed,
                                                  const std::string& folder) {
    const std::string name = KivEffectPresetFolders::fileSafeName(typed);
    if (name.empty()) {
        return fail(name, "A preset needs a name.");
    }
    if (folder.empty()) {
        return fail(name, "There is no folder to save presets in.");
    }
    const std::string path = KivEffectPresetFolders::presetPath(folder, name);
    if (FileOperations::itemExists(path)) {
        const int answer = _prompts.runAlert(
            KivAlert{QStringLiteral("\u201C%1\u201D already exists. Do you want to replace it?")
                         .arg(QString::fromStdString(name)),
                     QStringLiteral("A preset with the same name already exists. Replacing it will "
                                    "overwrite its current contents."),
                     {QStringLiteral("Replace"), QStringLiteral("Cancel")}});
        if (answer != 0) {
            return Result::Cancelled;
        }
    }
    if (const int error = FileOperations::makeDirectories(folder); error != 0) {
        return fail(name, FileOperations::errorText(error));
    }

    // The settings carry the preset's name, so it is set before they are read.
    const std::string previousName = _effect.currentPresetName();
    _effect.setCurrentPresetName(name);
    nlohmann::json stored;
    std::string problem;
    if (!KivArchiveValue::toStored(_effect.settings(), stored, problem)) {
        _effect.setCurrentPresetName(previousName);
        return fail(name, problem);
    }
    const std::string text = stored.dump(1, '\t');
    int error = EEXIST;
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
        _effect.setCurrentPresetName(previousName);
        return fail(name, FileOperations::errorText(error));
    }
    FileOperations::syncDirectory(folder);
    _savedPath = path;
    return Result::Saved;
}

EffectPresetSaver::Result EffectPresetSaver::fail(const std::string& name,
                                                  const std::string& reason) {
    logFormat("Error: the preset %s could not be saved: %s", name.c_str(), reason.c_str());
    _prompts.runAlert(KivAlert{QStringLiteral("The preset could not be saved"),
                               QString::fromStdString(reason),
                               {QStringLiteral("OK")},
                               KivAlert::Style::Critical});
    return Result::Failed;
}
