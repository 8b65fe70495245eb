#pragma once

#include "audio/effects/KivEffectMenu.h"
#include "foundation/Signal.h"
#include "window/inspector/OutputOpener.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioCue;
class AudioWaveformView;
class CueEffectsModel;
class KivEffect;
class KivTableView;
class PondraMenuButton;
class QButtonGroup;
class QLabel;
class QMenu;
class UndoManager;
class VornButton;
class VornCheckBox;
class VornPopUpButton;
class VornSlider;
class VornTextField;
class InspectorDelegate;

// The editor of one cue: name, hot key, MIDI note with learn, colour,
// volume, output pair, start and end with the waveform editor, looping, the
// effect chain and preview. It follows the cue through its change signals,
// and each change becomes an undo step built from the old value the signal
// carries, so an edit made anywhere (here, the grid, undo and redo
// themselves) undoes the same way. GUI thread.
class CueInspectorController final : public QWidget {
public:
    // The slider's 0..1000 as a cue volume of 0.0..1.0.
    static constexpr int kVolumeSteps = 1000;

    explicit CueInspectorController(InspectorDelegate& delegate, QWidget* parent = nullptr);
    ~CueInspectorController() override;

    const std::shared_ptr<AudioCue>& cue() const { return _cue; }
    // Observes the new cue instead of the old one, disarms MIDI learn and
    // refreshes every field.
    void setCue(std::shared_ptr<AudioCue> cue);
    void refreshContents();

    // MIDI learn: armed, the note field shows "..." and the button "Waiting...".
    bool captureMIDI() const { return _captureMIDI; }
    void setCaptureMIDI(bool capture);
    void captureMIDINote() { setCaptureMIDI(!_captureMIDI); }

    // Where the double click on a row, and the effect just added, go: the
    // effect's own editor window unless replaced.
    void setEffectEditorOpener(std::function<void(KivEffect&)> opener);

    // Actions of the controls.
    void changeColor(std::size_t paletteIndex);
    void updateHotkey();
    void updateMIDINote();
    void setVolumeFromSlider(int value);
    // The drag's end: one step back to the volume before it, when it moved.
    void setFinalVolumeFromSlider();
    void setStartTime();
    void setEndTime();
    void setStartEndFromSelection();
    void togglePreview();
    void changeOutputDevice(int index);
    // The window controller fills the output pop-up with its own list.
    void setOutputTitles(const QStringList& titles);
    void addEffect(const std::shared_ptr<KivEffect>& menuEffect);
    void removeEffect();
    void moveEffect(std::size_t from, std::size_t to);
    void didDoubleClickTable(int row);
    void toggleLoops(bool loops);

    UndoManager& undoManager() const;

    // The controls, each known by its object name.
    VornTextField* name() const { return _name; }
    VornTextField* hotkey() const { return _hotkey; }
    VornTextField* midiNote() const { return _midiNote; }
    VornButton* captureButton() const { return _captureButton; }
    QButtonGroup* colors() const { return _colors; }
    VornSlider* volumeSlider() const { return _volumeSlider; }
    VornPopUpButton* output() const { return _output; }
    VornTextField* startTime() const { return _startTime; }
    VornTextField* endTime() const { return _endTime; }
    QLabel* timeMessage() const { return _timeMessage; }
    AudioWaveformView* waveformView() const { return _waveformView; }
    VornCheckBox* loops() const { return _loops; }
    KivTableView* effectsTable() const { return _effectsTable; }
    PondraMenuButton* effectsButton() const { return _effectsButton; }
    VornButton* removeEffectButton() const { return _removeEffectButton; }
    VornButton* previewToggle() const { return _previewToggle; }
    QMenu* effectsMenu() const { return _effectsMenu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildEffectsMenu();
    void observe();
    void updateColor();
    void updatePreviewImage();
    void updateTimes();
    // The pop-up shows the cue's output.
    void updateOutput();
    // Alt+arrows and Escape in a text field go to the window.
    bool windowCommand(int key, Qt::KeyboardModifiers modifiers);
    // A typed time past the file's end, or leaving 0.1 s or less to play,
    // is refused with the field restored; nullopt then.
    std::optional<double> checkedTime(VornTextField* field, bool start);
    void openEffectEditor(KivEffect& effect);

    InspectorDelegate& _delegate;
    std::shared_ptr<AudioCue> _cue;
    std::vector<Connection> _observations;
    bool _captureMIDI = false;
    // The cue's volume when the slider's drag began; none while idle.
    std::optional<float> _volumeCopy;
    std::vector<KivEffectGroup> _effects;
    std::function<void(KivEffect&)> _effectEditorOpener;
    OutputOpener _outputOpener;

    VornTextField* _name = nullptr;
    VornTextField* _hotkey = nullptr;
    VornTextField* _midiNote = nullptr;
    VornButton* _captureButton = nullptr;
    QButtonGroup* _colors = nullptr;
    VornSlider* _volumeSlider = nullptr;
    VornPopUpButton* _output = nullptr;
    VornTextField* _startTime = nullptr;
    VornTextField* _endTime = nullptr;
    QLabel* _timeMessage = nullptr;
    AudioWaveformView* _waveformView = nullptr;
    VornButton* _selectionButton = nullptr;
    VornCheckBox* _loops = nullptr;
    KivTableView* _effectsTable = nullptr;
    CueEffectsModel* _effectsModel = nullptr;
    PondraMenuButton* _effectsButton = nullptr;
    QMenu* _effectsMenu = nullptr;
    VornButton* _removeEffectButton = nullptr;
    VornButton* _previewToggle = nullptr;
};
