#include "effecteditor/EffectGenericView.h"

#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "effecteditor/EffectEditorFixture.h"

#include <QLabel>

namespace {

constexpr std::uint32_t kMode = 3, kDrive = 4, kVoices = 5, kSeed = 6, kBright = 7, kLevel = 8;

const EffectParameter& parameterOf(const std::vector<EffectParameter>& list, std::uint32_t id) {
    for (const EffectParameter& parameter : list) {
        if (parameter.id == id) {
            return parameter;
        }
    }
    static const EffectParameter none;
    ADD_FAILURE() << "no parameter " << id;
    return none;
}

class EffectGenericViewTest : public EffectEditorFixture {
protected:
    void SetUp() override {
        EffectEditorFixture::SetUp();
        effect = placedEffect(kTestGainControlsUri);
        ASSERT_TRUE(effect);
        view = std::make_unique<EffectGenericView>(*effect);
    }
    void TearDown() override {
        view.reset();
        effect.reset();
        EffectEditorFixture::TearDown();
    }

    std::shared_ptr<KivEffect> effect;
    std::unique_ptr<EffectGenericView> view;
};

TEST_F(EffectGenericViewTest, EachKindOfPortGetsItsControl) {
    EXPECT_TRUE(qobject_cast<VornSlider*>(view->controlForParameter(kGainPort)));
    EXPECT_TRUE(dynamic_cast<VornCheckBox*>(view->controlForParameter(kBright)));
    EXPECT_EQ(view->controlForParameter(kSeed), nullptr) << "kept out of generated views";

    auto* voices = qobject_cast<VornSlider*>(view->controlForParameter(kVoices));
    ASSERT_NE(voices, nullptr);
    EXPECT_EQ(voices->minimum(), 1);
    EXPECT_EQ(voices->maximum(), 16);
    EXPECT_EQ(voices->value(), 4);
    voices->setValue(9);
    EXPECT_EQ(effect->valueForParameter(kVoices), 9.0f);
    EXPECT_EQ(view->valueTextForParameter(kVoices)->text(), "9");

    auto* mode = dynamic_cast<VornPopUpButton*>(view->controlForParameter(kMode));
    ASSERT_NE(mode, nullptr);
    ASSERT_EQ(mode->count(), 3);
    EXPECT_EQ(mode->itemText(0), "Clean") << "scale points in value order";
    EXPECT_EQ(mode->currentText(), "Warm");
    mode->setCurrentIndex(2);
    EXPECT_EQ(effect->valueForParameter(kMode), 2.0f);
    EXPECT_EQ(view->valueTextForParameter(kMode)->text(), "Hot");

    auto* bright = dynamic_cast<VornCheckBox*>(view->controlForParameter(kBright));
    bright->click();
    EXPECT_EQ(effect->valueForParameter(kBright), 1.0f);
    EXPECT_EQ(view->valueTextForParameter(kBright)->text(), "On");
}

TEST_F(EffectGenericViewTest, ALogarithmicSliderPutsTheGeometricMiddleInTheMiddle) {
    const EffectParameter drive = parameterOf(effect->parameters(), kDrive);
    EXPECT_TRUE(drive.logarithmic);
    EXPECT_EQ(EffectGenericView::sliderPosition(drive, 1.0f), EffectGenericView::kSliderSteps / 2);
    EXPECT_EQ(EffectGenericView::sliderPosition(drive, 0.1f), 0);
    EXPECT_EQ(EffectGenericView::sliderPosition(drive, 10.0f), EffectGenericView::kSliderSteps);
    EXPECT_NEAR(EffectGenericView::valueAtPosition(drive, 750), std::sqrt(10.0f), 1e-4f);

    auto* slider = qobject_cast<VornSlider*>(view->controlForParameter(kDrive));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), EffectGenericView::kSliderSteps / 2);
    slider->setValue(EffectGenericView::kSliderSteps / 4);
    EXPECT_NEAR(effect->valueForParameter(kDrive), std::sqrt(0.1f), 1e-4f);

    // A linear one keeps equal steps.
    const EffectParameter gain = parameterOf(effect->parameters(), kGainPort);
    EXPECT_EQ(EffectGenericView::sliderPosition(gain, -33.0f), EffectGenericView::kSliderSteps / 2);
}

TEST_F(EffectGenericViewTest, OutputsAreReadOnlyTextThatFollowsTheSound) {
    QWidget* level = view->controlForParameter(kLevel);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level, view->valueTextForParameter(kLevel)) << "text only, nothing to move";
    EXPECT_FALSE(parameterOf(effect->outputParameters(), kLevel).name.empty());

    effect->setValueForParameter(kGainPort, -6.0206f);
    sinePeak(*effect);
    view->refreshOutputs();
    EXPECT_NEAR(effect->valueForParameter(kLevel), 0.5f, 1e-3f);
    EXPECT_EQ(view->valueTextForParameter(kLevel)->text(), "0.50");
}

TEST_F(EffectGenericViewTest, EveryRowKeepsOnePitchAndEveryValueOneColumn) {
    view->adjustSize();
    const std::vector<std::uint32_t> rows = {kGainPort, kMode, kDrive, kVoices, kBright, kLevel};
    const QRect first = view->valueTextForParameter(rows.front())->geometry();
    const QRect second = view->valueTextForParameter(rows[1])->geometry();
    const int pitch = second.top() - first.top();
    EXPECT_GT(pitch, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QRect value = view->valueTextForParameter(rows[i])->geometry();
        // The read-only level too: its value stands under the others.
        EXPECT_EQ(value.left(), first.left()) << "row " << i;
        EXPECT_EQ(value.top(), first.top() + static_cast<int>(i) * pitch) << "row " << i;
    }
}

} // namespace
