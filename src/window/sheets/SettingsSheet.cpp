#include "window/sheets/SettingsSheet.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornHotKeyTextView.h"
#include "KivUI/controls/VornLineView.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/views/PondraBackgroundView.h"
#include "model/Workspace.h"
#include "window/sheets/SettingsController.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int kChannels = 16;

QLabel* sectionTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #f0f0f0; font-weight: bold; font-size: 12px;"));
    return label;
}

QLabel* rowTitle(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #c8c8c8; font-size: 12px;"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// Whole seconds keep one decimal, so the field reads as a duration.
QString durationText(double seconds) {
    QString text = QString::number(seconds, 'g', 6);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) {
        text += QStringLiteral(".0");
    }
    return text;
}

} // namespace

SettingsSheet::SettingsSheet(QWidget* window, SettingsController& settings,
                             const Workspace& workspace, std::function<void()> panic)
    : PondraSheet(window, QStringLiteral("Settings"))
    , _settings(settings)
    , _workspace(workspace)
    , _panic(std::move(panic))
    , _midiChannelField(new VornPopUpButton(ground()))
    , _panicDurationField(new VornTextField(ground()))
    , _performSafetyCheckView(
          new VornCheckBox(QStringLiteral("Check the cues before show mode"), ground())) {
    setObjectName(QStringLiteral("settingsSheet"));
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->setColumnMinimumWidth(0, 130);
    grid->setColumnStretch(1, 1);
    const auto section = [&](int row, const QString& title) {
        auto* line = new VornLineView(ground());
        line->setFixedHeight(2);
        grid->addWidget(sectionTitle(title, ground()), row, 0, 1, 3);
        grid->addWidget(line, row + 1, 0, 1, 3);
        if (row > 0) {
            grid->setRowMinimumHeight(row - 1, 26);
        }
    };

    section(0, QStringLiteral("Key Map"));
    _pauseAllView = addKeyRow(*grid, 2, QStringLiteral("Pause all:"), "pauseAllView",
                              &SettingsController::setPauseAllKey);
    _resumeAllView = addKeyRow(*grid, 3, QStringLiteral("Resume all:"), "resumeAllView",
                               &SettingsController::setResumeAllKey);
    _duckMasterView = addKeyRow(*grid, 4, QStringLiteral("Duck master volume:"), "duckMasterView",
                                &SettingsController::setDuckMasterKey);

    section(6, QStringLiteral("MIDI Controls"));
    _midiChannelField->setObjectName(QStringLiteral("midiChannelField"));
    _midiChannelField->addItem(QStringLiteral("Any channel"), 0);
    for (int channel = 1; channel <= kChannels; ++channel) {
        _midiChannelField->addItem(QString::number(channel), channel);
    }
    connect(_midiChannelField, &QComboBox::activated, this, [this](int index) {
        _settings.setMidiChannel(_midiChannelField->itemData(index).toInt());
    });
    grid->addWidget(rowTitle(QStringLiteral("Listen on channel:"), ground()), 8, 0);
    grid->addWidget(_midiChannelField, 8, 1, 1, 2, Qt::AlignLeft);

    section(10, QStringLiteral("General Settings"));
    _panicDurationField->setObjectName(QStringLiteral("panicDurationField"));
    _panicDurationField->setAlignment(Qt::AlignRight);
    _panicDurationField->setFixedWidth(70);
    connect(_panicDurationField, &QLineEdit::editingFinished, this,
            [this] { setThePanicDuration(); });
    auto* seconds = new QLabel(QStringLiteral("seconds"), ground());
    seconds->setStyleSheet(QStringLiteral("color: #c8c8c8; font-size: 12px;"));
    auto* duration = new QHBoxLayout;
    duration->setSpacing(6);
    duration->addWidget(_panicDurationField);
    duration->addWidget(seconds);
    duration->addStretch(1);
    grid->addWidget(rowTitle(QStringLiteral("Panic fade:"), ground()), 12, 0);
    grid->addLayout(duration, 12, 1, 1, 2);
    _performSafetyCheckView->setObjectName(QStringLiteral("performSafetyCheckView"));
    connect(_performSafetyCheckView, &QAbstractButton::clicked, this,
            [this](bool checked) { _settings.setShouldPerformSafetyChecks(checked); });
    grid->addWidget(_performSafetyCheckView, 13, 1, 1, 2);

    auto* reset = new VornButton(QStringLiteral("Reset to Defaults"), ground());
    reset->setObjectName(QStringLiteral("resetToDefaults"));
    reset->setAutoDefault(false);
    connect(reset, &QPushButton::clicked, this, [this] {
        _settings.revertToDefaults();
        refreshView();
    });
    auto* done = new VornButton(QStringLiteral("Done"), ground());
    done->setObjectName(QStringLiteral("closeWindow"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, [this] { accept(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset);
    buttons->addStretch(1);
    buttons->addWidget(done);

    auto* layout = new QVBoxLayout(ground());
    layout->setContentsMargins(20, 16, 20, 14);
    layout->setSpacing(18);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(400, 0)));
    // The order they are seen in, top to bottom. Done has the focus first, so
    // no key or channel is taken by accident as the sheet opens.
    setTabOrder(_pauseAllView, _resumeAllView);
    setTabOrder(_resumeAllView, _duckMasterView);
    setTabOrder(_duckMasterView, _midiChannelField);
    setTabOrder(_midiChannelField, _panicDurationField);
    setTabOrder(_panicDurationField, _performSafetyCheckView);
    done->setFocus();
    refreshView();
}

SettingsSheet::~SettingsSheet() {
    // QDialog's destructor hides the sheet; the duration field losing the focus
    // then must not edit the settings through what is left of the sheet.
    _panicDurationField->disconnect(this);
}

VornHotKeyTextView* SettingsSheet::addKeyRow(QGridLayout& grid, int row, const QString& title,
                                             const char* name, KeySetter setter) {
    auto* field = new VornHotKeyTextView(ground());
    field->setObjectName(QString::fromLatin1(name));
    // std::invoke rather than .*: GCC 12's vptr check misreads a captured this there.
    field->hotKeyDidChange = [this, field, setter] {
        std::invoke(setter, _settings, field->key());
    };
    field->cancel = [this] { _panic(); };
    auto* clear = new VornButton(QStringLiteral("Clear"), ground());
    clear->setObjectName(QStringLiteral("clear") + field->objectName());
    clear->setControlSize(KivControlSize::Small);
    clear->setAutoDefault(false);
    clear->setFocusPolicy(Qt::NoFocus);
    connect(clear, &QPushButton::clicked, this, [this, field, setter] {
        std::invoke(setter, _settings, KivHotKey());
        field->setKey(KivHotKey());
    });
    grid.addWidget(rowTitle(title, ground()), row, 0);
    grid.addWidget(field, row, 1);
    grid.addWidget(clear, row, 2);
    return field;
}

void SettingsSheet::refreshView() {
    setWindowTitle(
        QStringLiteral("Settings \u2014 %1").arg(QString::fromStdString(_workspace.displayName())));
    _pauseAllView->setKey(_settings.pauseAllKey());
    _resumeAllView->setKey(_settings.resumeAllKey());
    _duckMasterView->setKey(_settings.duckMasterKey());
    _midiChannelField->setCurrentIndex(_settings.midiChannel());
    _panicDurationField->setText(durationText(_settings.panicDuration()));
    _performSafetyCheckView->setChecked(_settings.shouldPerformSafetyChecks());
}

void SettingsSheet::setThePanicDuration() {
    const QString text = _panicDurationField->text().trimmed();
    bool isNumber = false;
    double seconds = QLocale().toDouble(text, &isNumber);
    if (!isNumber) {
        seconds = QLocale::c().toDouble(text, &isNumber);
    }
    if (isNumber) {
        _settings.setPanicDuration(seconds);
    }
    refreshView();
}

void SettingsSheet::keyPressEvent(QKeyEvent* event) {
    // The dialog would close on Escape; here it is the panic, as everywhere.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        _panic();
        return;
    }
    PondraSheet::keyPressEvent(event);
}
