// The window's cells keep the pictures of their looks within one budget: a
// tab shown again soon draws from its pictures, a tab left long ago gave its
// pictures up and draws them anew.
#include "window/grid/CellPictureBudget.h"

#include "window/WindowFixture.h"
#include "window/tabs/CartTabBar.h"

#include <numeric>

class CellPictures : public WindowFixture {
protected:
    // Carts of a few cues each, in the window.
    void openCarts(int count) {
        auto shown = std::make_shared<Workspace>(device, files.path("cache"));
        const std::string file = wav("a.wav", 0.1f);
        for (int c = 0; c < count; ++c) {
            auto added = std::make_shared<Cart>();
            added->setName("Cart " + std::to_string(c + 1));
            for (std::size_t slot = 0; slot < 4; ++slot) {
                added->setCue(AudioCue::initWithFile(file, device), slot);
            }
            shown->addCart(added);
        }
        showWorkspace(shown);
        QApplication::setActiveWindow(controller->window());
    }
    // The tab shown and drawn.
    void show(int tab) {
        controller->selectTab(tab);
        controller->window()->repaint();
        QApplication::processEvents();
    }
    GridView& gridOf(int tab) const { return *controller->controllerAtTab(tab)->gridView(); }
    std::size_t drawn(int tab) const {
        const auto& cells = gridOf(tab).cells();
        return std::accumulate(
            cells.begin(), cells.end(), std::size_t{0},
            [](std::size_t sum, const CueCellView* cell) { return sum + cell->picturesDrawn(); });
    }
};

TEST_F(CellPictures, ATabShownAgainDrawsFromItsPicturesAndOneLeftLongAgoDrawsThemAnew) {
    openCarts(CellPictureBudget::kKeptGrids + 3);
    show(0);
    const std::size_t first = drawn(0);
    ASSERT_GT(first, 0u);
    ASSERT_GT(gridOf(0).pictureBytes(), 0u);

    // Back after as many others as the budget keeps besides it: nothing is drawn anew.
    for (int tab = 1; tab < static_cast<int>(CellPictureBudget::kKeptGrids); ++tab) {
        show(tab);
    }
    EXPECT_GT(gridOf(0).pictureBytes(), 0u);
    show(0);
    EXPECT_EQ(drawn(0), first) << "a tab shown again drew its pictures anew";

    // After more than that, its pictures have gone, and come back when it shows.
    for (int tab = 1; tab <= static_cast<int>(CellPictureBudget::kKeptGrids) + 1; ++tab) {
        show(tab);
    }
    EXPECT_EQ(gridOf(0).pictureBytes(), 0u);
    show(0);
    EXPECT_GT(drawn(0), first);
    EXPECT_GT(gridOf(0).pictureBytes(), 0u);

    // Never more than the budget's grids hold pictures besides the one shown.
    int holding = 0;
    std::size_t hidden = 0;
    for (int tab = 1; tab < controller->window()->tabs()->count(); ++tab) {
        holding += gridOf(tab).pictureBytes() > 0 ? 1 : 0;
        hidden += gridOf(tab).pictureBytes();
    }
    EXPECT_LE(holding, static_cast<int>(CellPictureBudget::kKeptGrids));
    EXPECT_LE(hidden, CellPictureBudget::kKeptBytes);
}
