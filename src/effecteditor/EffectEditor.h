#pragma once

#include "effecteditor/EffectPresetSaver.h"
#include "effecteditor/KivEffectUserPresetGroup.h"
#include "foundation/Signal.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class EffectGenericView;
class EffectPresetExecutor;
class EffectPluginView;
class EffectPresetsPullDown;
class KivEffect;
class KivEffectPresetManageSheet;
class KivPrompts;
class QLabel;
class QMenu;
class VornCheckBox;

// The window of one effect: a strip with its enable check box and presets
// pull-down over the effect's view: the plugin's own X11 UI where it has one
// and Qt runs on xcb, else the generic view. Under the strip, while the
// effect's plugin cannot take its cue's channels, a line says so. Titled with
// the effect's display name, "<display name> : <preset>" while its settings
// are a preset's; the check box follows the effect's bypass whoever changes
// it. Main thread; EffectEditorWindow shows it.
class EffectEditor final : public QWidget {
public:
    static constexpr int kStripHeight = 36;

    EffectEditor(KivEffect& effect, KivPrompts& prompts,
                 std::shared_ptr<EffectPresetExecutor> executor);
    ~EffectEditor() override;

    // Opens the effect's editor, or brings its open one to the front; nullptr
    // when the effect cannot have one (no unit, or no editors installed).
    static EffectEditor* open(KivEffect& effect);
    // The editor of an effect whose editor is open, else nullptr.
    static EffectEditor* of(KivEffect& effect);
    // Makes every effect open this editor, alerts going through `prompts`
    // and preset files written through `executor` (a thread pool by default).
    static void install(KivPrompts& prompts,
                        std::shared_ptr<EffectPresetExecutor> executor = nullptr);

    KivEffect* effect() const { return _effect; }
    VornCheckBox* enabledButton() const { return _enabledButton; }
    EffectPresetsPullDown* presetsPullDown() const { return _presets; }
    QMenu* presetsMenu() const;
    // nullptr while the effect shows a view of its own.
    EffectGenericView* genericView() const { return _genericView; }
    // The plugin's own view; nullptr while the generic view is shown.
    EffectPluginView* pluginView() const { return _pluginView; }
    KivEffectUserPresetGroup& userPresets() { return _userPresets; }

    void updateTitle();
    void updateEnabled();
    void updateChannelsNotice();
    // Fills the pull-down from the folders as last read.
    void buildPresetsMenu();
    // Reads both folders again off the main thread, through the executor;
    // then the pull-down and the manage sheet show them and `then` runs.
    void readPresetFolders(std::function<void()> then = nullptr);

    void loadFactoryPreset(int number, const std::string& name);
    // A file the effect refuses is told in an alert and changes nothing.
    void loadUserPreset(const std::string& path);
    // Asks for a preset file, then loads it.
    void loadPreset();
    // Opens the save sheet.
    void savePreset();
    // What the save sheet does with its name and folder: the presets
    // pull-down is disabled until the save ends and `done` is told how.
    // Ignored while a save runs.
    void savePresetAs(const std::string& name, const std::string& folder,
                      EffectPresetSaver::Completion done = nullptr);
    bool isSavingPreset() const { return _saver && _saver->isSaving(); }
    // Opens the sheet that renames and removes presets.
    void managePresets();
    KivEffectPresetManageSheet* manageSheet() const { return _manageSheet; }

    // The effect forgets its editor: everything that reaches the effect stops.
    void detachFromEffect();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void alertError(const std::string& description, const std::string& informativeText);

    KivEffect* _effect;
    KivPrompts& _prompts;
    KivEffectUserPresetGroup _systemPresets;
    KivEffectUserPresetGroup _userPresets;
    VornCheckBox* _enabledButton;
    EffectPresetsPullDown* _presets;
    QLabel* _channelsNotice;
    EffectGenericView* _genericView = nullptr;
    EffectPluginView* _pluginView = nullptr;
    KivEffectPresetManageSheet* _manageSheet = nullptr;
    std::shared_ptr<EffectPresetExecutor> _executor;
    // Gone with the effect, so no save ends after it.
    std::unique_ptr<EffectPresetSaver> _saver;
    std::vector<std::unique_ptr<QMenu>> _submenus;
    Connection _bypassObservation;
    Connection _parameterObservation;
    Connection _fitObservation;
    // Folder reads handed back after the editor is gone find this expired.
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};
