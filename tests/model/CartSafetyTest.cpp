#include "CartFixture.h"
#include "model/Cart.h"
#include "model/SafetyConcern.h"
#include "model/WorkspaceSettings.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class ActionKeys : public WorkspaceSettings {
public:
    double panicDuration() const override { return 0.0; }
    std::vector<std::string> hotkeys() const override { return {"P", "Space"}; }
    nlohmann::json state() const override { return nlohmann::json::object(); }
    void setState(const nlohmann::json&) override {}
};

// (cue, type, other cue) of each concern, in order.
using Found = std::tuple<AudioCue*, int, AudioCue*>;

std::vector<Found> found(const std::vector<SafetyConcern>& concerns) {
    std::vector<Found> result;
    for (const auto& concern : concerns) {
        result.emplace_back(concern.cue().get(), concern.concernType(), concern.otherCue().get());
    }
    return result;
}

using CartSafety = CartFixture;

TEST_F(CartSafety, EachProblemAndEachPairIsReportedOnce) {
    ActionKeys settings;
    workspace.setSettings(&settings);
    auto cart = addCart({4, 4});
    cart->setName("Act 1");
    auto first = makeCue("first.wav", "Q", 60);
    auto second = makeCue("second.wav", "Q", 60);
    auto third = makeCue("third.wav", "Q", 61);
    auto silentA = makeCue("silentA.wav");
    auto silentB = makeCue("silentB.wav");
    auto action = makeCue("action.wav", "P");
    auto broken = makeCue("broken.wav");
    auto outside = makeCue("outside.wav");
    broken->updateFile(folder.path("missing.wav"));
    ASSERT_TRUE(broken->isBroken());
    cart->setCue(first, 0);
    cart->setCue(second, 1);
    cart->setCue(third, 2);
    cart->setCue(silentA, 3);
    cart->setCue(silentB, 4);
    cart->setCue(action, 5);
    cart->setCue(broken, 6);
    cart->setCue(outside, 16);

    const auto concerns = cart->potentialCueProblems();
    EXPECT_EQ(found(concerns), (std::vector<Found>{
                                   {first.get(), 2, second.get()},
                                   {first.get(), 1, second.get()},
                                   {first.get(), 2, third.get()},
                                   {second.get(), 2, third.get()},
                                   {action.get(), 5, nullptr},
                                   {broken.get(), 3, nullptr},
                                   {outside.get(), 4, nullptr},
                               }));
    ASSERT_EQ(concerns.size(), 7u);
    EXPECT_EQ(concerns[0].description(),
              "same hotkey trigger as " + second->listName() + " (Act 1)");
    EXPECT_EQ(concerns[1].description(), "same MIDI trigger as " + second->listName() + " (Act 1)");
    EXPECT_EQ(concerns[4].description(),
              "same hotkey trigger as a workspace action. See workspace settings.");
    EXPECT_EQ(concerns[5].description(), broken->brokenExplanation());
    EXPECT_EQ(concerns[6].description(),
              "outside of the current grid. Enlarge the grid to find it.");
}

TEST_F(CartSafety, WithoutAWindowNoHotkeyCollidesWithAWorkspaceAction) {
    auto cart = addCart();
    cart->setCue(makeCue("cue.wav", "P"), 0);
    EXPECT_TRUE(cart->potentialCueProblems().empty());
}

} // namespace
