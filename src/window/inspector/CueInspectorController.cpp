#include "window/inspector/CueInspectorController.h"

#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/outline/KivTableView.h"
#include "audio/effects/KivEffect.h"
#include "foundation/KivNSString.h"
#include "model/AudioCue.h"
#include "model/AudioOutput.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/GridController.h"
#include "window/inspector/CueEffectsModel.h"
#include "window/inspector/InspectorDelegate.h"
#include "window/waveform/AudioWaveformEditor.h"
#include "window/waveform/AudioWaveformView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include <cmath>

namespace {

// Undoing runs `undo` and registers `redo` as its own inverse, so undo and
// redo restore exactly whether or not an inspector shows the cue then. The
// closures hold the cue, never the inspector, which may go first.
void registerChange(UndoManager& undo, const std::shared_ptr<AudioCue>& cue,
                    std::function<void(AudioCue&)> undoIt, std::function<void(AudioCue&)> redoIt,
                    const char* actionName) {
    undo.registerUndo(cue.get(), [&undo, cue, undoIt, redoIt, actionName] {
        undoIt(*cue);
        registerChange(undo, cue, redoIt, undoIt, actionName);
    });
    if (!undo.isUndoing()) {
        undo.setActionName(actionName);
    }
}

QString noteText(const std::optional<int>& note) {
    return QString::number(note.value_or(0));
}

QString timeText(double seconds) {
    return QString::fromStdString(AudioWaveformEditor::timeText(seconds));
}

} // namespace

CueInspectorController::CueInspectorController(InspectorDelegate& delegate, QWidget* parent)
    : QWidget(parent)
    , _delegate(delegate) {
    setObjectName(QStringLiteral("cueInspectorController"));
    buildLayout();
    buildEffectsMenu();
    refreshContents();
}

CueInspectorController::~CueInspectorController() {
    _observations.clear();
}

UndoManager& CueInspectorController::undoManager() const {
    return _delegate.undoManager();
}

void CueInspectorController::setEffectEditorOpener(std::function<void(KivEffect&)> opener) {
    _effectEditorOpener = std::move(opener);
}

void CueInspectorController::openEffectEditor(KivEffect& effect) {
    if (_effectEditorOpener) {
        _effectEditorOpener(effect);
    } else {
        effect.openEditor();
    }
}

void CueInspectorController::setCue(std::shared_ptr<AudioCue> cue) {
    if (cue == _cue) {
        return;
    }
    _observations.clear();
    _cue = std::move(cue);
    _effectsModel->setCue(_cue);
    if (_cue) {
        observe();
    }
    setCaptureMIDI(false);
    refreshContents();
}

void CueInspectorController::observe() {
    AudioCue& cue = *_cue;
    const std::shared_ptr<AudioCue> held = _cue;
    // An edit made anywhere is one step, undone to the value the signal
    // carries; undo and redo register their own inverse.
    const auto record = [this, held](auto undoIt, auto redoIt, const char* actionName) {
        UndoManager& undo = undoManager();
        if (!undo.isUndoing() && !undo.isRedoing()) {
            registerChange(undo, held, undoIt, redoIt, actionName);
        }
    };
    _observations.push_back(
        cue.nameChanged().connect([this, record](const std::string& old, const std::string& now) {
            _name->setText(QString::fromStdString(now));
            if (old != now) {
                record([old](AudioCue& c) { c.setName(old); },
                       [now](AudioCue& c) { c.setName(now); }, "Change Name");
            }
        }));
    _observations.push_back(
        cue.hotkeyChanged().connect([this, record](const std::string& old, const std::string& now) {
            _hotkey->setText(QString::fromStdString(now));
            record([old](AudioCue& c) { c.setHotkey(old); },
                   [now](AudioCue& c) { c.setHotkey(now); }, "Change Hotkey");
        }));
    _observations.push_back(cue.midiNoteChanged().connect(
        [this, record](const std::optional<int>& old, const std::optional<int>& now) {
            if (!_captureMIDI) {
                _midiNote->setText(noteText(now));
            }
            // A cue without a trigger gets none back.
            if (old != now && now) {
                record(
                    [old](AudioCue& c) {
                        if (old) {
                            c.setMidiNote(*old);
                        } else {
                            c.setMidiTrigger(std::nullopt);
                        }
                    },
                    [now](AudioCue& c) { c.setMidiNote(*now); }, "Change MIDI Note");
            }
        }));
    _observations.push_back(
        cue.volumeChanged().connect([this, record](const float& old, const float& now) {
            // A drag makes its one step when it ends.
            if (_volumeCopy) {
                return;
            }
            _volumeSlider->blockSignals(true);
            _volumeSlider->setValue(static_cast<int>(std::lround(now * kVolumeSteps)));
            _volumeSlider->blockSignals(false);
            if (old != now) {
                record([old](AudioCue& c) { c.setVolume(old); },
                       [now](AudioCue& c) { c.setVolume(now); }, "Change Cue Volume");
            }
        }));
    _observations.push_back(
        cue.colorChanged().connect([this, record](const PondraColor& old, const PondraColor& now) {
            if (!old.isEqualToColor(now)) {
                record([old](AudioCue& c) { c.setColor(old); },
                       [now](AudioCue& c) { c.setColor(now); }, "Change Color");
            }
            updateColor();
        }));
    _observations.push_back(
        cue.startTimeChanged().connect([this, record](const double& old, const double& now) {
            record([old](AudioCue& c) { c.setStartTime(old); },
                   [now](AudioCue& c) { c.setStartTime(now); }, "Change Start Time");
            updateTimes();
            _waveformView->setCue(_cue);
        }));
    _observations.push_back(
        cue.endTimeChanged().connect([this, record](const double& old, const double& now) {
            record([old](AudioCue& c) { c.setEndTime(old); },
                   [now](AudioCue& c) { c.setEndTime(now); }, "Change End Time");
            updateTimes();
            _waveformView->setCue(_cue);
        }));
    _observations.push_back(cue.effectsChanged().connect([this] { _effectsModel->reload(); }));
    _observations.push_back(cue.playingChanged().connect([this](const bool&, const bool&) {
        _waveformView->refreshCursorPosition();
        updatePreviewImage();
    }));
    _observations.push_back(cue.progressChanged().connect(
        [this](const float&, const float&) { _waveformView->refreshCursorPosition(); }));
}

void CueInspectorController::refreshContents() {
    _volumeCopy.reset();
    const bool hasCue = _cue != nullptr;
    for (QWidget* control :
         std::initializer_list<QWidget*>{_name, _hotkey, _midiNote, _captureButton, _volumeSlider,
                                         _output, _startTime, _endTime, _selectionButton, _loops,
                                         _effectsButton, _removeEffectButton, _previewToggle}) {
        control->setEnabled(hasCue);
    }
    if (!hasCue) {
        return;
    }
    updateColor();
    _name->setText(QString::fromStdString(_cue->name()));
    _name->setToolTip(QString::fromStdString(_cue->file()));
    _hotkey->setText(QString::fromStdString(_cue->hotkey()));
    if (!_captureMIDI) {
        _midiNote->setText(noteText(_cue->midiNote()));
    }
    _volumeSlider->blockSignals(true);
    _volumeSlider->setValue(static_cast<int>(std::lround(_cue->volume() * kVolumeSteps)));
    _volumeSlider->blockSignals(false);
    updateOutput();
    _loops->blockSignals(true);
    _loops->setChecked(_cue->loops());
    _loops->blockSignals(false);
    updateTimes();
    _timeMessage->clear();
    _waveformView->setCue(_cue);
    _effectsModel->reload();
    updatePreviewImage();
}

void CueInspectorController::updateTimes() {
    if (_cue) {
        _startTime->setText(timeText(_cue->startTime()));
        _endTime->setText(timeText(_cue->endTime()));
    }
}

void CueInspectorController::updatePreviewImage() {
    const bool playing = _cue && _cue->isPlaying();
    _previewToggle->setText(playing ? QStringLiteral("\u25A0  Stop")
                                    : QStringLiteral("\u25B6  Preview"));
    _previewToggle->setChecked(playing);
}

void CueInspectorController::updateColor() {
    if (!_cue) {
        return;
    }
    const auto& names = PondraColor::colors();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (PondraColor::colorWithName(names[i]).isEqualToColor(_cue->color())) {
            _colors->button(static_cast<int>(i))->setChecked(true);
            return;
        }
    }
}

void CueInspectorController::changeColor(std::size_t paletteIndex) {
    const auto& names = PondraColor::colors();
    if (_cue && paletteIndex < names.size()) {
        _cue->setColor(PondraColor::colorWithName(names[paletteIndex]));
    }
}

void CueInspectorController::updateHotkey() {
    if (!_cue) {
        return;
    }
    _hotkey->setText(QString::fromStdString(AudioCue::parseHotkey(_hotkey->text().toStdString())));
    _hotkey->selectAll();
}

void CueInspectorController::updateMIDINote() {
    if (!_cue || _captureMIDI) {
        return;
    }
    const int note = AudioCue::parseMidiNote(_midiNote->text().toStdString());
    _midiNote->setText(QString::number(note));
    _cue->setMidiNote(note);
}

void CueInspectorController::setCaptureMIDI(bool capture) {
    _captureMIDI = capture;
    if (capture) {
        _midiNote->setText(QStringLiteral("..."));
        _captureButton->setText(QStringLiteral("Waiting..."));
    } else {
        if (_cue) {
            _midiNote->setText(noteText(_cue->midiNote()));
        }
        _captureButton->setText(QStringLiteral("Capture"));
    }
    _captureButton->setChecked(capture);
}

void CueInspectorController::setVolumeFromSlider(int value) {
    if (!_cue) {
        return;
    }
    if (!_volumeCopy) {
        _volumeCopy = _cue->volume();
    }
    _cue->setVolume(static_cast<float>(value) / kVolumeSteps);
    // Keys and the wheel move the slider without a drag: each is one step.
    if (!_volumeSlider->isSliderDown()) {
        setFinalVolumeFromSlider();
    }
}

void CueInspectorController::setFinalVolumeFromSlider() {
    if (!_volumeCopy) {
        return;
    }
    const float before = *_volumeCopy;
    _volumeCopy.reset();
    if (!_cue || before == _cue->volume()) {
        return;
    }
    const float after = _cue->volume();
    registerChange(
        undoManager(), _cue, [before](AudioCue& c) { c.setVolume(before); },
        [after](AudioCue& c) { c.setVolume(after); }, "Change Cue Volume");
}

std::optional<double> CueInspectorController::checkedTime(VornTextField* field, bool start) {
    const double value = KivNSString::secondsFromFormattedString(field->text().toStdString());
    QString refusal;
    if (value < 0.0) {
        refusal = QStringLiteral("A time cannot be negative.");
    } else if (_cue->isLoaded() && value > _cue->fileLengthInSeconds() + 0.0005) {
        refusal =
            QStringLiteral("The file is only %1 long.").arg(timeText(_cue->fileLengthInSeconds()));
    } else if ((start ? _cue->endTime() - value : value - _cue->startTime()) <
               AudioCue::kShortestRange - 0.0005) {
        refusal = QStringLiteral("Start and end must be more than 0.1 s apart.");
    }
    if (!refusal.isEmpty()) {
        updateTimes();
        _timeMessage->setText(refusal);
        return std::nullopt;
    }
    _timeMessage->clear();
    return value;
}

void CueInspectorController::setStartTime() {
    if (!_cue) {
        return;
    }
    if (const auto value = checkedTime(_startTime, true)) {
        _cue->setStartTime(*value);
    }
    updateTimes();
}

void CueInspectorController::setEndTime() {
    if (!_cue) {
        return;
    }
    if (const auto value = checkedTime(_endTime, false)) {
        _cue->setEndTime(*value);
    }
    updateTimes();
}

void CueInspectorController::setStartEndFromSelection() {
    _waveformView->setStartAndEndFromSelection();
    _waveformView->clearSelection();
}

void CueInspectorController::togglePreview() {
    if (!_cue) {
        return;
    }
    if (_cue->isPlaying()) {
        _cue->stop();
    } else {
        _cue->play();
    }
    updatePreviewImage();
}

void CueInspectorController::updateOutput() {
    const AudioOutput output{_cue->audioDevice(), _cue->deviceChannel()};
    _output->blockSignals(true);
    _output->setCurrentIndex(_output->findText(QString::fromStdString(output.title())));
    _output->blockSignals(false);
}

void CueInspectorController::setOutputTitles(const QStringList& titles) {
    _output->blockSignals(true);
    _output->clear();
    _output->addItems(titles);
    _output->blockSignals(false);
    refreshContents();
}

void CueInspectorController::changeOutputDevice(int index) {
    const auto& outputs = _delegate.outputDevices();
    if (!_cue || index < 0 || index >= static_cast<int>(outputs.size())) {
        return;
    }
    const AudioOutput& entry = outputs[static_cast<std::size_t>(index)];
    if (AudioOutput::sameDevice(_cue->audioDevice(), entry.device)) {
        if (entry.channel != _cue->deviceChannel()) {
            _cue->setDeviceChannel(entry.channel);
        }
        return;
    }
    // The source's own engage on each device is all that changes hands: the
    // workspace's device stays open and routed for every other cue. Opening
    // the new device may wait on it, so that happens off this thread first.
    const std::weak_ptr<AudioCue> chosen = _cue;
    const int channel = entry.channel;
    _outputOpener.open(entry.device, [this, chosen, channel](const auto& device, bool open) {
        const std::shared_ptr<AudioCue> cue = chosen.lock();
        if (cue && open) {
            cue->setAudioDevice(device);
            cue->setDeviceChannel(channel);
        }
        if (cue && cue == _cue) {
            updateOutput();
        }
    });
}

void CueInspectorController::toggleLoops(bool loops) {
    if (!_cue || loops == _cue->loops()) {
        return;
    }
    _cue->setLoops(loops);
    registerChange(
        undoManager(), _cue, [loops](AudioCue& c) { c.setLoops(!loops); },
        [loops](AudioCue& c) { c.setLoops(loops); }, "Looping");
}

void CueInspectorController::addEffect(const std::shared_ptr<KivEffect>& menuEffect) {
    if (!_cue || !menuEffect) {
        return;
    }
    std::shared_ptr<KivEffect> effect = menuEffect->copy();
    if (!effect) {
        return;
    }
    _cue->addEffect(effect);
    registerChange(
        undoManager(), _cue, [effect](AudioCue& c) { c.removeEffect(effect); },
        [effect](AudioCue& c) { c.addEffect(effect); }, "Add Effect");
    openEffectEditor(*effect);
}

void CueInspectorController::removeEffect() {
    if (!_cue || _cue->effects().empty()) {
        return;
    }
    const QModelIndex selected = _effectsTable->currentIndex();
    const int row = selected.isValid() && _effectsTable->selectionModel()->isSelected(selected)
                        ? selected.row()
                        : -1;
    if (row < 0 || row >= static_cast<int>(_cue->effects().size())) {
        return;
    }
    const auto index = static_cast<std::size_t>(row);
    const std::shared_ptr<KivEffect> effect = _cue->effects()[index];
    effect->closeEditor();
    // Back where it was: the order of the chain is the sound.
    registerChange(
        undoManager(), _cue, [effect, index](AudioCue& c) { c.insertEffect(effect, index); },
        [effect](AudioCue& c) { c.removeEffect(effect); }, "Remove Effect");
    _cue->removeEffect(effect);
    _effectsModel->reload();
}

void CueInspectorController::moveEffect(std::size_t from, std::size_t to) {
    if (_cue) {
        _cue->moveEffectAtIndex(from, to);
        _effectsModel->reload();
    }
}

void CueInspectorController::didDoubleClickTable(int row) {
    if (_cue && row >= 0 && row < static_cast<int>(_cue->effects().size())) {
        openEffectEditor(*_cue->effects()[static_cast<std::size_t>(row)]);
    }
}

bool CueInspectorController::windowCommand(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        _delegate.cancel();
        return true;
    }
    // Alt, since Ctrl+arrows move by words in a text field.
    if (modifiers != Qt::AltModifier) {
        return false;
    }
    switch (key) {
    case Qt::Key_Up:
        if (GridController* grid = _delegate.selectedController()) {
            grid->moveUp();
        }
        return true;
    case Qt::Key_Down:
        if (GridController* grid = _delegate.selectedController()) {
            grid->moveDown();
        }
        return true;
    case Qt::Key_Left:
        if (GridController* grid = _delegate.selectedController()) {
            grid->moveLeft();
        }
        return true;
    case Qt::Key_Right:
        if (GridController* grid = _delegate.selectedController()) {
            grid->moveRight();
        }
        return true;
    default:
        return false;
    }
}

bool CueInspectorController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != _effectsTable) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (windowCommand(key->key(), modifiers)) {
            return true;
        }
        // Up and Down go to the ends of the text; they never reach the grid.
        auto* field = static_cast<VornTextField*>(watched);
        if (modifiers == Qt::NoModifier && key->key() == Qt::Key_Up) {
            field->home(false);
            return true;
        }
        if (modifiers == Qt::NoModifier && key->key() == Qt::Key_Down) {
            field->end(false);
            return true;
        }
    }
    if (watched == _effectsTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            removeEffect();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
