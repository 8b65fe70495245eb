#include "effecteditor/EffectEditorPlacement.h"

#include <algorithm>

namespace EffectEditorPlacement {

QPoint besideWindow(const QRect& window, const QSize& size, const QRect& screen) {
    const int screenRight = screen.x() + screen.width();
    const int screenBottom = screen.y() + screen.height();
    int x = window.x() + window.width() + kGap;
    if (x + size.width() > screenRight) {
        x = window.x() - kGap - size.width();
        if (x < screen.x()) {
            x = std::max(screen.x(), screenRight - size.width());
        }
    }
    const int y =
        std::clamp(window.y(), screen.y(), std::max(screen.y(), screenBottom - size.height()));
    return {x, y};
}

} // namespace EffectEditorPlacement
