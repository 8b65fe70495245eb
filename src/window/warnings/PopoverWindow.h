#pragma once

#include "KivUI/views/BrolAttachedWindow.h"

// The warnings popover. Return and Enter stay with the popover; every other
// key goes to the window it belongs to, and the popover then hands the
// keyboard back, which closes it. GUI thread only.
class PopoverWindow final : public BrolAttachedWindow {
public:
    using BrolAttachedWindow::BrolAttachedWindow;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
