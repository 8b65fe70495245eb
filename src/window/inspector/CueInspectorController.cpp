#include "window/inspector/CueInspectorController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/outline/KivTableView.h"
#include "model/AudioCue.h"
#include "model/AudioOutput.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/GridController.h"
#include "window/inspector/InspectorDelegate.h"
#include "window/waveform/AudioWaveformView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>

#include <cmath>

namespace {

QString noteText(const std::optional<int>& note) {
    return QString::number(note.value_or(0));
}

} // namespace

CueInspectorController::CueInspectorController(InspectorDelegate& delegate, QWidget* parent)
    : QWidget(parent)
    , _delegate(delegate)
    , _history(delegate) {
    setObjectName(QStringLiteral("cueInspectorController"));
    buildLayout();
    refreshContents();
}

CueInspectorController::~CueInspectorController() {
    _observations.clear();
}

UndoManager& CueInspectorController::undoManager() const {
    return _delegate.undoManager();
}

void CueInspectorController::setCue(std::shared_ptr<AudioCue> cue) {
    if (cue == _cue) {
        return;
    }
    _observations.clear();
    _cue = std::move(cue);
    _history.setCue(_cue);
    _effectsList->setCue(_cue);
    if (_cue) {
        observe();
    }
    setCaptureMIDI(false);
    refreshContents();
}

void CueInspectorController::observe() {
    AudioCue& cue = *_cue;
    // The fields follow an edit made anywhere; the history makes its step.
    _observations.push_back(
        cue.nameChanged().connect([this](const std::string&, const std::string& now) {
            _name->setText(QString::fromStdString(now));
        }));
    _observations.push_back(
        cue.hotkeyChanged().connect([this](const std::string&, const std::string& now) {
            _hotkey->setText(QString::fromStdString(now));
        }));
    _observations.push_back(cue.midiNoteChanged().connect(
        [this](const std::optional<int>&, const std::optional<int>& now) {
            if (!_captureMIDI) {
                _midiNote->setText(noteText(now));
            }
        }));
    _observations.push_back(cue.volumeChanged().connect([this](const float&, const float& now) {
        // The slider is the drag's own source.
        if (_history.isDraggingVolume()) {
            return;
        }
        _volumeSlider->blockSignals(true);
        _volumeSlider->setValue(static_cast<int>(std::lround(now * kVolumeSteps)));
        _volumeSlider->blockSignals(false);
    }));
    _observations.push_back(cue.colorChanged().connect(
        [this](const PondraColor&, const PondraColor&) { updateColor(); }));
    _observations.push_back(cue.startTimeChanged().connect(
        [this](const double&, const double&) { _range->updateRange(); }));
    _observations.push_back(cue.endTimeChanged().connect(
        [this](const double&, const double&) { _range->updateRange(); }));
    _observations.push_back(cue.effectsChanged().connect([this] { _effectsList->reload(); }));
    _observations.push_back(cue.playingChanged().connect([this](const bool&, const bool&) {
        _range->waveformView()->refreshCursorPosition();
        updatePreviewImage();
    }));
    _observations.push_back(cue.progressChanged().connect(
        [this](const float&, const float&) { _range->waveformView()->refreshCursorPosition(); }));
}

void CueInspectorController::refreshContents() {
    _history.cancelVolumeDrag();
    const bool hasCue = _cue != nullptr;
    for (QWidget* control :
         std::initializer_list<QWidget*>{_name, _hotkey, _midiNote, _captureButton, _volumeSlider,
                                         _output, _loops, _previewToggle}) {
        control->setEnabled(hasCue);
    }
    _range->enableControls(hasCue);
    _effectsList->enableControls(hasCue);
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
    _range->refresh();
    _effectsList->reload();
    updatePreviewImage();
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
    _history.beginVolumeDrag();
    _cue->setVolume(static_cast<float>(value) / kVolumeSteps);
    // Keys and the wheel move the slider without a drag: each is one step.
    if (!_volumeSlider->isSliderDown()) {
        setFinalVolumeFromSlider();
    }
}

void CueInspectorController::setFinalVolumeFromSlider() {
    _history.endVolumeDrag();
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
    CueEditHistory::registerChange(
        undoManager(), _cue, [loops](AudioCue& c) { c.setLoops(!loops); },
        [loops](AudioCue& c) { c.setLoops(loops); }, "Looping");
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
    if (event->type() == QEvent::KeyPress && watched != effectsTable()) {
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
    if (watched == effectsTable() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            removeEffect();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
