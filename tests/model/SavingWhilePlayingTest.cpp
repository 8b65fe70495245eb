#include "CueEngineFixture.h"
#include "model/DocumentController.h"
#include "platform/alias/KivAlias.h"

#include <gtest/gtest.h>

namespace {

// Saving during a show: the cues playing go on where they are.
class SavingWhilePlaying : public CueEngineFixture {
protected:
    KivError save(const std::string& path) {
        KivError result;
        controller.saveDocumentAs(workspace, path, [&](const KivError& e) { result = e; });
        controller.finishSaving(workspace);
        return result;
    }

    const std::string package = folder.path("Show.pondra");
    DocumentController controller{[] { return nullptr; }, PackageWriter(), scheduler};
};

TEST_F(SavingWhilePlaying, APlayingCueGoesOnThroughTheFirstSaveAndASaveInPlace) {
    auto cue = cueOf(rampFile("ramp.wav", 1.0));
    const std::size_t first = render();
    cue->play();
    render(20);
    ASSERT_FALSE(save(package));
    const std::string media = package + "/Media/ramp.wav";
    EXPECT_EQ(cue->file(), media);
    EXPECT_EQ(cue->audioSource()->alias()->fullPath(), media);
    render(20);
    ASSERT_FALSE(save(package));
    EXPECT_EQ(cue->audioSource()->alias()->fullPath(), media);
    render(20);

    EXPECT_TRUE(cue->isPlaying());
    const auto out = outputFrom(first + 1);
    ASSERT_EQ(out.size(), 60 * kCycle);
    for (std::size_t f = 0; f < out.size(); ++f) {
        ASSERT_EQ(out[f], static_cast<float>(f) * kStep) << "frame " << f;
    }
}

} // namespace
