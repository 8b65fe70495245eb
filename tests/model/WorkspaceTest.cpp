#include "model/Workspace.h"

#include "CartFixture.h"
#include "model/Cart.h"
#include "model/PondraLogger.h"

#include <gtest/gtest.h>

namespace {

using Carts = std::vector<std::shared_ptr<Cart>>;

// Workspaces without a device, their temporary folders in a test folder.
class WorkspaceCarts : public ::testing::Test {
protected:
    AudioFixtures::TempFolder folder;
};

TEST_F(WorkspaceCarts, CartsKnowTheirWorkspaceWhileInIt) {
    auto first = std::make_shared<Cart>();
    auto second = std::make_shared<Cart>();
    auto third = std::make_shared<Cart>();
    {
        Workspace workspace{nullptr, folder.path("cache")};
        workspace.addCart(first);
        workspace.addCart(second);
        workspace.addCart(first);
        workspace.addCart(third);
        EXPECT_EQ(workspace.carts(), (Carts{first, second, third}));
        EXPECT_EQ(first->workspace(), &workspace);

        workspace.swapCartAtIndex(0, 2);
        workspace.swapCartAtIndex(0, 3);
        EXPECT_EQ(workspace.carts(), (Carts{third, second, first}));

        workspace.removeCart(second);
        EXPECT_EQ(second->workspace(), nullptr);
        EXPECT_EQ(workspace.carts(), (Carts{third, first}));

        // A cart joins one workspace at a time.
        Workspace other{nullptr, folder.path("cache")};
        other.addCart(first);
        EXPECT_EQ(first->workspace(), &other);
        EXPECT_EQ(workspace.carts(), (Carts{third}));
        other.removeCart(first);
        EXPECT_EQ(first->workspace(), nullptr);
    }
    EXPECT_EQ(third->workspace(), nullptr);
}

TEST_F(WorkspaceCarts, DescriptionNamesTheShowAndEachOfItsCarts) {
    Workspace workspace{nullptr, folder.path("cache")};
    EXPECT_EQ(workspace.description(), "Workspace Untitled - ()");
    auto music = std::make_shared<Cart>();
    music->setName("Music");
    auto effects = std::make_shared<Cart>();
    effects->setName("Effects");
    workspace.addCart(music);
    workspace.addCart(effects);
    workspace.setFilePath("/shows/Hamlet.pondra");
    EXPECT_EQ(workspace.description(),
              "Workspace Hamlet - (Cart: Music - 0 cues, Cart: Effects - 0 cues)");
}

TEST_F(WorkspaceCarts, LoggerIsReplacedButNeverNull) {
    Workspace workspace{nullptr, folder.path("cache")};
    ASSERT_TRUE(workspace.logger());
    auto stored = std::make_shared<PondraLogger>();
    workspace.setLogger(stored);
    EXPECT_EQ(workspace.logger(), stored);
    workspace.setLogger(nullptr);
    EXPECT_EQ(workspace.logger(), stored);
}

using WorkspacePanic = CartFixture;

TEST_F(WorkspacePanic, WithoutSettingsStopsEveryCartAtOnceAndEndsThePause) {
    auto first = addCart();
    auto second = addCart();
    auto a = makeCue("a.wav");
    auto b = makeCue("b.wav");
    first->setCue(a, 0);
    second->setCue(b, 3);
    a->play();
    b->play();
    workspace.setPaused(true);
    ASSERT_TRUE(a->isPlaying() && b->isPlaying());

    workspace.panic();
    EXPECT_FALSE(a->isPlaying());
    EXPECT_FALSE(b->isPlaying());
    EXPECT_FALSE(workspace.isPaused());
}

} // namespace
