// The cue inspector's layout, built in code: the cue's fields on the left,
// the waveform editor with the played range in the middle and the effect
// chain on the right. Every outlet's object name is its outlet name.
#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/outline/KivTableView.h"
#include "audio/effects/KivEffect.h"
#include "model/AudioCue.h"
#include "model/PondraColor.h"
#include "window/inspector/ColorSwatch.h"
#include "window/inspector/CueEffectRowDelegate.h"
#include "window/inspector/CueEffectsModel.h"
#include "window/inspector/CueInspectorController.h"
#include "window/waveform/AudioWaveformView.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace {

constexpr int kFieldsWidth = 268;
constexpr int kEffectsWidth = 210;
constexpr int kFieldRowHeight = 24;

QLabel* fieldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #d0d0d0; font-size: 11px;"));
    return label;
}

template <typename Widget>
Widget* outlet(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

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

    // The waveform and the played range.
    auto* middle = new QVBoxLayout;
    middle->setSpacing(7);
    _waveformView = outlet(new AudioWaveformView(this), "waveformView");
    _waveformView->setMinimumHeight(96);
    middle->addWidget(_waveformView, 1);
    auto* range = new QHBoxLayout;
    range->setSpacing(6);
    _startTime = outlet(new VornTextField(this), "startTime");
    _startTime->setFixedWidth(80);
    connect(_startTime, &QLineEdit::editingFinished, this, [this] { setStartTime(); });
    _endTime = outlet(new VornTextField(this), "endTime");
    _endTime->setFixedWidth(80);
    connect(_endTime, &QLineEdit::editingFinished, this, [this] { setEndTime(); });
    _selectionButton =
        outlet(new VornButton(QStringLiteral("Use Selection"), this), "selectionButton");
    _selectionButton->setControlSize(KivControlSize::Small);
    _selectionButton->setFocusPolicy(Qt::NoFocus);
    connect(_selectionButton, &QAbstractButton::clicked, this,
            [this] { setStartEndFromSelection(); });
    range->addWidget(fieldLabel(QStringLiteral("Start"), this));
    range->addWidget(_startTime);
    range->addSpacing(4);
    range->addWidget(fieldLabel(QStringLiteral("End"), this));
    range->addWidget(_endTime);
    range->addWidget(_selectionButton);
    // Why a typed time was refused, beside the fields.
    _timeMessage = outlet(new QLabel(this), "timeMessage");
    _timeMessage->setStyleSheet(QStringLiteral("color: #f0b040; font-size: 11px;"));
    _timeMessage->setWordWrap(true);
    range->addWidget(_timeMessage, 1);
    middle->addLayout(range);
    columns->addLayout(middle, 1);

    // The effect chain.
    auto* effects = new QVBoxLayout;
    effects->setSpacing(6);
    _effectsModel = new CueEffectsModel(
        [this](std::size_t from, std::size_t to) { moveEffect(from, to); }, this);
    _effectsTable = outlet(new KivTableView(this), "effectsTable");
    _effectsTable->setFixedWidth(kEffectsWidth);
    _effectsTable->setModel(_effectsModel);
    _effectsTable->horizontalHeader()->hide();
    _effectsTable->horizontalHeader()->setStretchLastSection(true);
    _effectsTable->verticalHeader()->hide();
    _effectsTable->verticalHeader()->setDefaultSectionSize(20);
    // A row that tells why its effect is left out is two lines tall.
    _effectsTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    _effectsTable->setItemDelegate(new CueEffectRowDelegate(20, _effectsTable));
    _effectsTable->setShowGrid(false);
    _effectsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    _effectsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    _effectsTable->setDragDropMode(QAbstractItemView::DragDrop);
    _effectsTable->setDefaultDropAction(Qt::MoveAction);
    _effectsTable->setDragDropOverwriteMode(false);
    _effectsTable->setDropIndicatorShown(true);
    _effectsTable->installEventFilter(this);
    connect(_effectsTable, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { didDoubleClickTable(index.row()); });
    effects->addWidget(fieldLabel(QStringLiteral("Effects"), this));
    effects->addWidget(_effectsTable, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    _effectsButton =
        outlet(new PondraMenuButton(QStringLiteral("Add effect..."), this), "effectsButton");
    _effectsButton->setControlSize(KivControlSize::Small);
    _effectsButton->setFocusPolicy(Qt::NoFocus);
    _removeEffectButton =
        outlet(new VornButton(QStringLiteral("Remove"), this), "removeEffectButton");
    _removeEffectButton->setControlSize(KivControlSize::Small);
    _removeEffectButton->setFocusPolicy(Qt::NoFocus);
    connect(_removeEffectButton, &QAbstractButton::clicked, this, [this] { removeEffect(); });
    buttons->addWidget(_effectsButton, 1);
    buttons->addWidget(_removeEffectButton);
    effects->addLayout(buttons);
    columns->addLayout(effects);

    for (VornTextField* field : {_name, _hotkey, _midiNote, _startTime, _endTime}) {
        field->installEventFilter(this);
    }
}

void CueInspectorController::buildEffectsMenu() {
    _effectsMenu = new QMenu(this);
    _effectsMenu->setObjectName(QStringLiteral("effectsMenu"));
    _effectsButton->setPopUpMenu(_effectsMenu);
    const std::optional<KivEffectMenu> menu = menuOfAllEffectsByManufacturer(&_effects);
    if (!menu || menu->submenus.empty()) {
        _effectsMenu->addAction(QStringLiteral("No effects installed"))->setEnabled(false);
        return;
    }
    for (const KivEffectMenu::Submenu& maker : menu->submenus) {
        QMenu* submenu = _effectsMenu->addMenu(QString::fromStdString(maker.title));
        for (const KivEffectMenu::Item& item : maker.items) {
            QAction* action = submenu->addAction(QString::fromStdString(item.title));
            connect(action, &QAction::triggered, this,
                    [this, effect = item.effect] { addEffect(effect); });
        }
    }
}
