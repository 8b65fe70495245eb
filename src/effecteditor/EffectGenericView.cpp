#include "effecteditor/EffectGenericView.h"

#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/drawing/KivColors.h"
#include "audio/effects/KivEffect.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOutputRefreshMs = 100;
constexpr int kValueTextWidth = 72;
constexpr int kSliderWidth = 220;
// One height for every row, whatever its control, so the rows keep one pitch.
constexpr int kRowHeight = 26;

bool isLogarithmic(const EffectParameter& p) {
    return p.logarithmic && p.minValue > 0.0f && p.maxValue > p.minValue;
}

bool isEnumeration(const EffectParameter& p) {
    return p.enumeration && !p.scalePoints.empty();
}

// Integers step one by one unless the range is too wide for a slider's steps.
bool stepsByOne(const EffectParameter& p) {
    return p.integer && p.maxValue - p.minValue <= EffectGenericView::kSliderSteps;
}

QLabel* makeLabel(const QString& text, Qt::Alignment alignment, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setPalette(KivColors::darkPalette(label->palette()));
    return label;
}

} // namespace

EffectGenericView::EffectGenericView(KivEffect& effect, QWidget* parent)
    : QWidget(parent)
    , _effect(effect)
    , _outputTimer(new QTimer(this)) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, KivColors::windowBackground());
    setPalette(colours);
    setAutoFillBackground(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 12, 16, 14);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    grid->setColumnMinimumWidth(1, kSliderWidth);
    grid->setColumnMinimumWidth(2, kValueTextWidth);
    int line = 0;
    const auto addRow = [&](const EffectParameter& parameter, bool output) {
        if (parameter.notOnGui) {
            return;
        }
        Row row{parameter, nullptr, nullptr};
        grid->addWidget(makeLabel(QString::fromStdString(parameter.name), Qt::AlignRight, this),
                        line, 0);
        row.valueText = makeLabel(QString(), Qt::AlignLeft, this);
        if (output) {
            // Read-only: its value alone, in the column of the other values.
            row.control = row.valueText;
        } else {
            row.control = makeControl(parameter);
            grid->addWidget(row.control, line, 1);
        }
        grid->addWidget(row.valueText, line, 2);
        grid->setRowMinimumHeight(line, kRowHeight);
        ++line;
        _rows.emplace(parameter.id, row);
    };
    for (const EffectParameter& parameter : effect.parameters()) {
        addRow(parameter, false);
    }
    for (const EffectParameter& parameter : effect.outputParameters()) {
        addRow(parameter, true);
    }
    if (_rows.empty()) {
        grid->addWidget(
            makeLabel(QStringLiteral("This effect has no settings."), Qt::AlignCenter, this), 0, 0,
            1, 3);
    }
    grid->setRowStretch(std::max(line, 1), 1);

    _outputTimer->setInterval(kOutputRefreshMs);
    connect(_outputTimer, &QTimer::timeout, this, [this] { refreshOutputs(); });
    _listening = effect.parameterListeners().connect([this](std::uint32_t id) {
        if (id == kKivEffectAnyParameter) {
            refresh();
        } else if (auto found = _rows.find(id); found != _rows.end()) {
            refreshRow(found->second);
        }
    });
    refresh();
}

EffectGenericView::~EffectGenericView() {
    _listening.disconnect();
}

QWidget* EffectGenericView::makeControl(const EffectParameter& parameter) {
    const std::uint32_t id = parameter.id;
    if (parameter.toggled) {
        auto* box = new VornCheckBox(this);
        connect(box, &QCheckBox::toggled, this,
                [this, id](bool on) { changeParameter(id, on ? 1.0f : 0.0f); });
        return box;
    }
    if (isEnumeration(parameter)) {
        auto* popUp = new VornPopUpButton(this);
        for (const EffectScalePoint& point : parameter.scalePoints) {
            popUp->addItem(QString::fromStdString(point.label), point.value);
        }
        connect(popUp, &QComboBox::currentIndexChanged, this, [this, id, popUp](int index) {
            if (index >= 0) {
                changeParameter(id, popUp->itemData(index).toFloat());
            }
        });
        return popUp;
    }
    auto* slider = new VornSlider(Qt::Horizontal, this);
    slider->setMinimumWidth(kSliderWidth);
    if (stepsByOne(parameter)) {
        slider->setRange(static_cast<int>(std::lround(parameter.minValue)),
                         static_cast<int>(std::lround(parameter.maxValue)));
        connect(slider, &QSlider::valueChanged, this,
                [this, id](int value) { changeParameter(id, static_cast<float>(value)); });
    } else {
        slider->setRange(0, kSliderSteps);
        connect(slider, &QSlider::valueChanged, this, [this, id, parameter](int position) {
            changeParameter(id, valueAtPosition(parameter, position));
        });
    }
    return slider;
}

QWidget* EffectGenericView::controlForParameter(std::uint32_t id) const {
    auto found = _rows.find(id);
    return found != _rows.end() ? found->second.control : nullptr;
}

QLabel* EffectGenericView::valueTextForParameter(std::uint32_t id) const {
    auto found = _rows.find(id);
    return found != _rows.end() ? found->second.valueText : nullptr;
}

void EffectGenericView::changeParameter(std::uint32_t id, float value) {
    if (_changing) {
        return;
    }
    _effect.setValueForParameter(id, value);
}

void EffectGenericView::refresh() {
    for (auto& [id, row] : _rows) {
        refreshRow(row);
    }
}

void EffectGenericView::refreshOutputs() {
    for (auto& [id, row] : _rows) {
        if (row.control == row.valueText) {
            refreshRow(row);
        }
    }
}

void EffectGenericView::refreshRow(Row& row) {
    const EffectParameter& p = row.parameter;
    const float value = _effect.valueForParameter(p.id);
    row.valueText->setText(valueText(p, value));
    // Setting a control must not write the value back as an edit.
    _changing = true;
    if (auto* box = qobject_cast<QCheckBox*>(row.control)) {
        box->setChecked(value > 0.0f);
    } else if (auto* popUp = qobject_cast<QComboBox*>(row.control)) {
        popUp->setCurrentIndex(popUp->findData(value));
    } else if (auto* slider = qobject_cast<QSlider*>(row.control)) {
        slider->setValue(stepsByOne(p) ? static_cast<int>(std::lround(value))
                                       : sliderPosition(p, value));
    }
    _changing = false;
}

int EffectGenericView::sliderPosition(const EffectParameter& p, float value) {
    if (p.maxValue <= p.minValue) {
        return 0;
    }
    value = std::clamp(value, p.minValue, p.maxValue);
    const double fraction = isLogarithmic(p)
                                ? std::log(value / p.minValue) / std::log(p.maxValue / p.minValue)
                                : (value - p.minValue) / double(p.maxValue - p.minValue);
    return static_cast<int>(std::lround(fraction * kSliderSteps));
}

float EffectGenericView::valueAtPosition(const EffectParameter& p, int position) {
    const double fraction = std::clamp(position, 0, kSliderSteps) / double(kSliderSteps);
    const double value = isLogarithmic(p)
                             ? p.minValue * std::pow(p.maxValue / double(p.minValue), fraction)
                             : p.minValue + fraction * (p.maxValue - p.minValue);
    return static_cast<float>(p.integer ? std::round(value) : value);
}

QString EffectGenericView::valueText(const EffectParameter& p, float value) {
    if (p.toggled) {
        return value > 0.0f ? QStringLiteral("On") : QStringLiteral("Off");
    }
    for (const EffectScalePoint& point : p.scalePoints) {
        if (point.value == value) {
            return QString::fromStdString(point.label);
        }
    }
    if (p.integer) {
        return QString::number(std::lround(value));
    }
    return QString::number(value, 'f', std::abs(value) < 10.0f ? 2 : 1);
}

void EffectGenericView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    _outputTimer->start();
}

void EffectGenericView::hideEvent(QHideEvent* event) {
    _outputTimer->stop();
    QWidget::hideEvent(event);
}
