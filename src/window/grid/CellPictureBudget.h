#pragma once

#include <cstddef>
#include <vector>

class GridView;

// The cue cells' pictures of one window under one budget: every picture of
// the shown grid, and those of the grids shown last, newest first, while
// they are at most kKeptGrids and weigh kKeptBytes at most together. The
// cells of an older grid drop theirs, and draw them anew once it is shown
// again; a grid shown again within the budget draws from its pictures.
// GUI thread.
class CellPictureBudget {
public:
    static constexpr std::size_t kKeptGrids = 3;
    static constexpr std::size_t kKeptBytes = std::size_t{24} << 20;

    CellPictureBudget() = default;
    CellPictureBudget(const CellPictureBudget&) = delete;
    CellPictureBudget& operator=(const CellPictureBudget&) = delete;

    void gridShown(GridView& grid);
    void gridGone(GridView& grid);

private:
    // Newest first; the first is the one shown.
    std::vector<GridView*> _shown;
};
