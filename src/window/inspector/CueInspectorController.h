#pragma once

#include "foundation/Signal.h"
#include "window/inspector/CueEditHistory.h"
#include "window/inspector/CueEffectsList.h"
#include "window/inspector/CueRangeEditor.h"
#include "window/inspector/OutputOpener.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class AudioCue;
class AudioWaveformView;
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
// themselves) undoes the same way. The undo steps, the played range and the
// effect chain each have a part of their own. GUI thread.
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
    void setEffectEditorOpener(std::function<void(KivEffect&)> opener) {
        _effectsList->setEffectEditorOpener(std::move(opener));
    }

    // Actions of the controls.
    void changeColor(std::size_t paletteIndex);
    void updateHotkey();
    void updateMIDINote();
    void setVolumeFromSlider(int value);
    // The drag's end: one step back to the volume before it, when it moved.
    void setFinalVolumeFromSlider();
    void setStartTime() { _range->setStartTime(); }
    void setEndTime() { _range->setEndTime(); }
    void setStartEndFromSelection() { _range->setStartEndFromSelection(); }
    void togglePreview();
    void changeOutputDevice(int index);
    // The window controller fills the output pop-up with its own list.
    void setOutputTitles(const QStringList& titles);
    void addEffect(const std::shared_ptr<KivEffect>& menuEffect) {
        _effectsList->addEffect(menuEffect);
    }
    void removeEffect() { _effectsList->removeEffect(); }
    void moveEffect(std::size_t from, std::size_t to) { _effectsList->moveEffect(from, to); }
    void didDoubleClickTable(int row) { _effectsList->didDoubleClickTable(row); }
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
    VornTextField* startTime() const { return _range->startTime(); }
    VornTextField* endTime() const { return _range->endTime(); }
    QLabel* timeMessage() const { return _range->timeMessage(); }
    AudioWaveformView* waveformView() const { return _range->waveformView(); }
    VornCheckBox* loops() const { return _loops; }
    KivTableView* effectsTable() const { return _effectsList->effectsTable(); }
    PondraMenuButton* effectsButton() const { return _effectsList->effectsButton(); }
    VornButton* removeEffectButton() const { return _effectsList->removeEffectButton(); }
    VornButton* previewToggle() const { return _previewToggle; }
    QMenu* effectsMenu() const { return _effectsList->effectsMenu(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void observe();
    void updateColor();
    void updatePreviewImage();
    // The pop-up shows the cue's output.
    void updateOutput();
    // Alt+arrows and Escape in a text field go to the window.
    bool windowCommand(int key, Qt::KeyboardModifiers modifiers);

    InspectorDelegate& _delegate;
    std::shared_ptr<AudioCue> _cue;
    CueEditHistory _history;
    std::vector<Connection> _observations;
    bool _captureMIDI = false;
    OutputOpener _outputOpener;
    // Made with the layout.
    std::unique_ptr<CueRangeEditor> _range;
    std::unique_ptr<CueEffectsList> _effectsList;

    VornTextField* _name = nullptr;
    VornTextField* _hotkey = nullptr;
    VornTextField* _midiNote = nullptr;
    VornButton* _captureButton = nullptr;
    QButtonGroup* _colors = nullptr;
    VornSlider* _volumeSlider = nullptr;
    VornPopUpButton* _output = nullptr;
    VornCheckBox* _loops = nullptr;
    VornButton* _previewToggle = nullptr;
};
