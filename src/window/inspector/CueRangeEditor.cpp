#include "window/inspector/CueRangeEditor.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornTextField.h"
#include "foundation/KivNSString.h"
#include "model/AudioCue.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/CueInspectorOutlets.h"
#include "window/waveform/AudioWaveformEditor.h"
#include "window/waveform/AudioWaveformView.h"

#include <QBoxLayout>
#include <QLabel>

using CueInspectorOutlets::fieldLabel;
using CueInspectorOutlets::outlet;

namespace {

QString timeText(double seconds) {
    return QString::fromStdString(AudioWaveformEditor::timeText(seconds));
}

} // namespace

CueRangeEditor::CueRangeEditor(CueInspectorController& inspector, QBoxLayout& columns)
    : _inspector(inspector) {
    QWidget* parent = &inspector;
    auto* middle = new QVBoxLayout;
    middle->setSpacing(7);
    _waveformView = outlet(new AudioWaveformView(parent), "waveformView");
    _waveformView->setMinimumHeight(96);
    middle->addWidget(_waveformView, 1);
    auto* range = new QHBoxLayout;
    range->setSpacing(6);
    _startTime = outlet(new VornTextField(parent), "startTime");
    _startTime->setFixedWidth(80);
    QObject::connect(_startTime, &QLineEdit::editingFinished, parent, [this] { setStartTime(); });
    _endTime = outlet(new VornTextField(parent), "endTime");
    _endTime->setFixedWidth(80);
    QObject::connect(_endTime, &QLineEdit::editingFinished, parent, [this] { setEndTime(); });
    _selectionButton =
        outlet(new VornButton(QStringLiteral("Use Selection"), parent), "selectionButton");
    _selectionButton->setControlSize(KivControlSize::Small);
    _selectionButton->setFocusPolicy(Qt::NoFocus);
    QObject::connect(_selectionButton, &QAbstractButton::clicked, parent,
                     [this] { setStartEndFromSelection(); });
    range->addWidget(fieldLabel(QStringLiteral("Start"), parent));
    range->addWidget(_startTime);
    range->addSpacing(4);
    range->addWidget(fieldLabel(QStringLiteral("End"), parent));
    range->addWidget(_endTime);
    range->addWidget(_selectionButton);
    // Why a typed time was refused, beside the fields.
    _timeMessage = outlet(new QLabel(parent), "timeMessage");
    _timeMessage->setStyleSheet(QStringLiteral("color: #f0b040; font-size: 11px;"));
    _timeMessage->setWordWrap(true);
    range->addWidget(_timeMessage, 1);
    middle->addLayout(range);
    columns.addLayout(middle, 1);
}

void CueRangeEditor::enableControls(bool enabled) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{_startTime, _endTime, _selectionButton}) {
        control->setEnabled(enabled);
    }
}

void CueRangeEditor::refresh() {
    updateTimes();
    _timeMessage->clear();
    _waveformView->setCue(_inspector.cue());
}

void CueRangeEditor::updateRange() {
    updateTimes();
    _waveformView->setCue(_inspector.cue());
}

void CueRangeEditor::updateTimes() {
    if (const std::shared_ptr<AudioCue>& cue = _inspector.cue()) {
        _startTime->setText(timeText(cue->startTime()));
        _endTime->setText(timeText(cue->endTime()));
    }
}

std::optional<double> CueRangeEditor::checkedTime(VornTextField* field, bool start) {
    const AudioCue& cue = *_inspector.cue();
    const double value = KivNSString::secondsFromFormattedString(field->text().toStdString());
    QString refusal;
    if (value < 0.0) {
        refusal = QStringLiteral("A time cannot be negative.");
    } else if (cue.isLoaded() && value > cue.fileLengthInSeconds() + 0.0005) {
        refusal =
            QStringLiteral("The file is only %1 long.").arg(timeText(cue.fileLengthInSeconds()));
    } else if ((start ? cue.endTime() - value : value - cue.startTime()) <
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

void CueRangeEditor::setStartTime() {
    const std::shared_ptr<AudioCue>& cue = _inspector.cue();
    if (!cue) {
        return;
    }
    if (const auto value = checkedTime(_startTime, true)) {
        cue->setStartTime(*value);
    }
    updateTimes();
}

void CueRangeEditor::setEndTime() {
    const std::shared_ptr<AudioCue>& cue = _inspector.cue();
    if (!cue) {
        return;
    }
    if (const auto value = checkedTime(_endTime, false)) {
        cue->setEndTime(*value);
    }
    updateTimes();
}

void CueRangeEditor::setStartEndFromSelection() {
    _waveformView->setStartAndEndFromSelection();
    _waveformView->clearSelection();
}
