#pragma once

#include "foundation/Signal.h"
#include "platform/effects/EffectProcessor.h"

#include <QWidget>

#include <cstdint>
#include <map>

class KivEffect;
class QLabel;
class QTimer;

// The view an effect gets when its plugin brings none of its own: a row per
// parameter (a slider, a check box for a toggle, a pop-up for an enumeration),
// then the control outputs as read-only text. Ports the plugin keeps out of
// generated views are skipped. Main thread.
class EffectGenericView final : public QWidget {
public:
    explicit EffectGenericView(KivEffect& effect, QWidget* parent = nullptr);
    ~EffectGenericView() override;

    // The control of an input parameter, or its text for an output; nullptr
    // for a port not shown.
    QWidget* controlForParameter(std::uint32_t id) const;
    // The value text beside a parameter.
    QLabel* valueTextForParameter(std::uint32_t id) const;

    // Every control and text set again from the effect.
    void refresh();
    // The output texts read again (a timer does this while shown).
    void refreshOutputs();

    // Slider positions for continuous parameters; logarithmic where the
    // plugin asks for it and the range allows one.
    static constexpr int kSliderSteps = 1000;
    static int sliderPosition(const EffectParameter& parameter, float value);
    static float valueAtPosition(const EffectParameter& parameter, int position);
    static QString valueText(const EffectParameter& parameter, float value);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Row {
        EffectParameter parameter;
        QWidget* control = nullptr;
        QLabel* valueText = nullptr;
    };

    QWidget* makeControl(const EffectParameter& parameter);
    void refreshRow(Row& row);
    void changeParameter(std::uint32_t id, float value);

    KivEffect& _effect;
    std::map<std::uint32_t, Row> _rows; // inputs and outputs, by port index
    QTimer* _outputTimer;
    Connection _listening;
    bool _changing = false;
};
