#pragma once

#include <QDialog>
#include <QPushButton>

#include <functional>
#include <string>

class KivEffectUserPresetGroup;
class VornPopUpButton;
class VornTextField;

// Asks for a preset's name and the folder it goes in: the user folder unless
// another is chosen. Save hands both to `save` and waits, its button
// disabled, for the answer whether the sheet may close (it stays open after a
// refused replace or a failure).
class EffectPresetSaveSheet final : public QDialog {
public:
    using SaveAction = std::function<void(const std::string& name, const std::string& folder,
                                          std::function<void(bool mayClose)> done)>;

    EffectPresetSaveSheet(const std::string& name, const KivEffectUserPresetGroup& system,
                          const KivEffectUserPresetGroup& user, SaveAction save, QWidget* parent);

    std::string chosenFolder() const;
    // What the Save button does.
    void save();

private:
    VornTextField* _name;
    VornPopUpButton* _folders;
    QPushButton* _saveButton;
    SaveAction _save;
};
