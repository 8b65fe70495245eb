#pragma once

#include "window/sheets/PondraSheet.h"

#include <memory>
#include <vector>

class Cart;
class VornButton;

// The grid-size sheet: one button per grid size, 1x1 to 5x5, titled with
// the columns, a lower-case "x" and the rows; the cart's own size is the lit
// one. Choosing a size resizes the cart (one edit) and closes the sheet.
// Made per use; it goes when it closes.
class GridSelectorController final : public PondraSheet {
public:
    GridSelectorController(std::shared_ptr<Cart> cart, QWidget* window);

    // The lit cell; null when none is.
    VornButton* selectedCell() const;
    VornButton* cellTitled(const QString& title) const;
    // From a cell: its title gives the size.
    void updateGrid(const VornButton& cell);

private:
    void selectCurrentSize();

    std::shared_ptr<Cart> _cart;
    std::vector<VornButton*> _matrix;
};
