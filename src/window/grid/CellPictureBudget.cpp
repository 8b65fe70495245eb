#include "window/grid/CellPictureBudget.h"

#include "window/grid/GridView.h"

#include <algorithm>

void CellPictureBudget::gridShown(GridView& grid) {
    gridGone(grid);
    _shown.insert(_shown.begin(), &grid);
    std::size_t bytes = 0;
    for (std::size_t i = 1; i < _shown.size(); ++i) {
        bytes += _shown[i]->pictureBytes();
        if (i > kKeptGrids || bytes > kKeptBytes) {
            _shown[i]->dropPictures();
        }
    }
    // Those with nothing kept need no place in the list.
    _shown.erase(std::remove_if(std::next(_shown.begin()), _shown.end(),
                                [](const GridView* shown) { return shown->pictureBytes() == 0; }),
                 _shown.end());
}

void CellPictureBudget::gridGone(GridView& grid) {
    _shown.erase(std::remove(_shown.begin(), _shown.end(), &grid), _shown.end());
}
