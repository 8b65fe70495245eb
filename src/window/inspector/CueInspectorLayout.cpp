// The cue inspector's layout, built in code: the cue's fields on the left,
// the waveform editor with the played range in the middle and the effect
// chain on the right, each of those two built by its part. Every outlet's
// object name is its outlet name.
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "model/AudioCue.h"
#include "model/PondraColor.h"
#include "window/inspector/ColorSwatch.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/CueInspectorOutlets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

using CueInspectorOutlets::fieldLabel;
using CueInspectorOutlets::outlet;

namespace {

constexpr int kFieldsWidth = 268;
constexpr int kFieldRowHeight = 24;

} // namespace

void CueInspectorController::buildLayout() {
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(14, 12, 14, 10);
    columns->setSpacing(16);

    // The cue's own fields.
    auto* fields = new QWidget(this);
    fields->setFixedWidth(kFieldsWidth);
    auto* grid = new QGridLayout(fields);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(7);
    grid->setColumnStretch(1, 1);

    _name = outlet(new VornTextField(fields), "name");
    _name->setPlaceholderText(QStringLiteral("Name"));
    connect(_name, &QLineEdit::editingFinished, this, [this] {
        if (_cue) {
            _cue->setName(_name->text().toStdString());
        }
    });
    grid->addWidget(fieldLabel(QStringLiteral("Name"), fields), 0, 0);
    grid->addWidget(_name, 0, 1);

    auto* triggers = new QHBoxLayout;
    triggers->setSpacing(6);
    _hotkey = outlet(new VornTextField(fields), "hotkey");
    _hotkey->setFixedWidth(34);
    _hotkey->setAlignment(Qt::AlignCenter);
    connect(_hotkey, &QLineEdit::textEdited, this, [this] { updateHotkey(); });
    connect(_hotkey, &QLineEdit::editingFinished, this, [this] {
        if (_cue) {
            _cue->setHotkey(_hotkey->text().toStdString());
        }
    });
    _midiNote = outlet(new VornTextField(fields), "midiNote");
    _midiNote->setFixedWidth(42);
    _midiNote->setAlignment(Qt::AlignCenter);
    connect(_midiNote, &QLineEdit::editingFinished, this, [this] { updateMIDINote(); });
    _captureButton = outlet(new VornButton(QStringLiteral("Capture"), fields), "captureButton");
    _captureButton->setControlSize(KivControlSize::Small);
    _captureButton->setCheckable(true);
    _captureButton->setFocusPolicy(Qt::NoFocus);
    _captureButton->setMinimumWidth(84);
    connect(_captureButton, &QAbstractButton::clicked, this, [this] { captureMIDINote(); });
    triggers->addWidget(_hotkey);
    triggers->addSpacing(4);
    triggers->addWidget(fieldLabel(QStringLiteral("MIDI"), fields));
    triggers->addWidget(_midiNote);
    triggers->addWidget(_captureButton);
    triggers->addStretch(1);
    grid->addWidget(fieldLabel(QStringLiteral("Hot key"), fields), 1, 0);
    grid->addLayout(triggers, 1, 1);

    auto* swatches = new QHBoxLayout;
    swatches->setSpacing(4);
    _colors = new QButtonGroup(this);
    _colors->setObjectName(QStringLiteral("colors"));
    _colors->setExclusive(true);
    const auto& palette = PondraColor::colors();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        auto* swatch = new ColorSwatch(PondraColor::colorWithName(palette[i]), fields);
        _colors->addButton(swatch, static_cast<int>(i));
        swatches->addWidget(swatch);
    }
    swatches->addStretch(1);
    connect(_colors, &QButtonGroup::idClicked, this,
            [this](int id) { changeColor(static_cast<std::size_t>(id)); });
    grid->addWidget(fieldLabel(QStringLiteral("Color"), fields), 2, 0);
    grid->addLayout(swatches, 2, 1);

    _volumeSlider = outlet(new VornSlider(Qt::Horizontal, fields), "volumeSlider");
    _volumeSlider->setRange(0, kVolumeSteps);
    _volumeSlider->setFocusPolicy(Qt::NoFocus);
    connect(_volumeSlider, &QSlider::valueChanged, this,
            [this](int value) { setVolumeFromSlider(value); });
    connect(_volumeSlider, &QSlider::sliderReleased, this, [this] { setFinalVolumeFromSlider(); });
    grid->addWidget(fieldLabel(QStringLiteral("Volume"), fields), 3, 0);
    grid->addWidget(_volumeSlider, 3, 1);

    _output = outlet(new VornPopUpButton(fields), "output");
    _output->setFocusPolicy(Qt::NoFocus);
    _output->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    _output->setMinimumContentsLength(12);
    connect(_output, &QComboBox::activated, this, [this](int index) { changeOutputDevice(index); });
    grid->addWidget(fieldLabel(QStringLiteral("Output"), fields), 4, 0);
    grid->addWidget(_output, 4, 1);

    auto* playback = new QHBoxLayout;
    playback->setSpacing(8);
    _loops = outlet(new VornCheckBox(QStringLiteral("Loop"), fields), "loops");
    _loops->setFocusPolicy(Qt::NoFocus);
    connect(_loops, &QAbstractButton::toggled, this, [this](bool on) { toggleLoops(on); });
    _previewToggle = outlet(new VornButton(QStringLiteral("Preview"), fields), "previewToggle");
    _previewToggle->setControlSize(KivControlSize::Small);
    _previewToggle->setCheckable(true);
    _previewToggle->setFocusPolicy(Qt::NoFocus);
    _previewToggle->setMinimumWidth(96);
    connect(_previewToggle, &QAbstractButton::clicked, this, [this] { togglePreview(); });
    playback->addWidget(_loops);
    playback->addStretch(1);
    playback->addWidget(_previewToggle);
    grid->addLayout(playback, 5, 1);
    // One pitch for every row, whatever its control's height.
    for (int row = 0; row <= 5; ++row) {
        grid->setRowMinimumHeight(row, kFieldRowHeight);
    }
    grid->setRowStretch(6, 1);
    columns->addWidget(fields);

    // The waveform and the played range, then the effect chain.
    _range = std::make_unique<CueRangeEditor>(*this, *columns);
    _effectsList = std::make_unique<CueEffectsList>(*this, *columns);

    for (VornTextField* field : {_name, _hotkey, _midiNote, startTime(), endTime()}) {
        field->installEventFilter(this);
    }
}
