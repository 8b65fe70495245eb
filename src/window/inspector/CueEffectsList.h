#pragma once

#include "audio/effects/KivEffectMenu.h"

#include <functional>
#include <memory>
#include <vector>

class AudioCue;
class CueEffectsModel;
class CueInspectorController;
class KivEffect;
class KivTableView;
class PondraMenuButton;
class QBoxLayout;
class QMenu;
class VornButton;

// The effect chain of the inspector's cue, the right column of the pane:
// its table, reordered by dragging rows, Add effect... with the menu of
// every installed effect by maker, and Remove. Each addition and removal is
// an undo step; the effect just added, and a row double clicked, open the
// effect's editor. GUI thread.
class CueEffectsList {
public:
    // Builds its column, its controls children of the inspector, into the
    // inspector's row; the inspector filters the table's keys.
    CueEffectsList(CueInspectorController& inspector, QBoxLayout& columns);
    CueEffectsList(const CueEffectsList&) = delete;
    CueEffectsList& operator=(const CueEffectsList&) = delete;

    void enableControls(bool enabled);
    void setCue(const std::shared_ptr<AudioCue>& cue);
    // The chain changed: every row again.
    void reload();

    // The effect's own editor window unless replaced.
    void setEffectEditorOpener(std::function<void(KivEffect&)> opener);
    void addEffect(const std::shared_ptr<KivEffect>& menuEffect);
    // The selected row's effect, its editor closed.
    void removeEffect();
    void moveEffect(std::size_t from, std::size_t to);
    void didDoubleClickTable(int row);

    KivTableView* effectsTable() const { return _effectsTable; }
    PondraMenuButton* effectsButton() const { return _effectsButton; }
    VornButton* removeEffectButton() const { return _removeEffectButton; }
    QMenu* effectsMenu() const { return _effectsMenu; }

private:
    void buildEffectsMenu();
    void openEffectEditor(KivEffect& effect);

    CueInspectorController& _inspector;
    std::vector<KivEffectGroup> _effects;
    std::function<void(KivEffect&)> _effectEditorOpener;
    KivTableView* _effectsTable = nullptr;
    CueEffectsModel* _effectsModel = nullptr;
    PondraMenuButton* _effectsButton = nullptr;
    QMenu* _effectsMenu = nullptr;
    VornButton* _removeEffectButton = nullptr;
};
