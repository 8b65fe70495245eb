#pragma once

#include "window/sheets/PondraSheet.h"

#include <memory>

class Cart;
class VornButton;
class VornTextField;

// The rename sheet of a cart: its name in a field; Rename gives the cart the
// field's name (one edit) and closes. A blank name is not offered. Made per
// use; it goes when it closes.
class RenameCartWindowController final : public PondraSheet {
public:
    RenameCartWindowController(std::shared_ptr<Cart> cart, QWidget* window);

    VornTextField* name() const { return _name; }
    void didRenameCart();

private:
    std::shared_ptr<Cart> _cart;
    VornTextField* _name;
    VornButton* _rename;
};
