#pragma once

#include "foundation/KivGeometry.h"

#include <QPainterPath>

// The layout of an attached window, worked out y-up (screen coordinates grow
// rightward and upward, a window's own from its bottom left): where the
// window sits for a side of the point, where its view sits inside it, the
// side that fits the screen and the bubble's outline. Qt's logical
// coordinates already absorb the screen's scale, so lengths are taken as
// they are.
//
// Sides: 0 left of the point, 1 below, 2 right, 3 above, each centred on
// it; 4/5 left extending up/down, 6/7 right extending up/down, 8/9 above
// extending left/right, 10/11 below extending left/right; 12 chooses one
// when the window is made.
struct BrolAttachedGeometry {
    static constexpr int kAutomaticSide = 12;

    KivPoint viewSize;
    float viewMargin = 2.0f;
    float arrowBaseWidth = 20.0f;
    float arrowHeight = 16.0f;
    float cornerRadius = 8.0f;
    bool hasArrow = true;
    bool drawsRoundCornerBesideArrow = true;
    int side = kAutomaticSide;
    float distance = 0;

    // From a bubble corner to the arrow's centre line when the arrow sits
    // near that corner.
    float arrowInset() const;
    // The window's size with the arrow's room, and the view's frame in it.
    KivPoint windowSize() const;
    KivRect viewFrame() const;
    // The window's frame for the arrow pointing at `point` on the screen.
    KivRect windowFrame(KivPoint point) const;
    // The side that fits `visible` (the screen's visible frame), refined
    // within `window` (the frame of the window the point lies in).
    int bestSide(KivPoint point, KivRect visible, KivRect window) const;
    // The bubble with its arrow, clockwise, in the window's y-up coordinates.
    QPainterPath outline() const;

private:
    bool isRounded(int corner) const;
    void appendArrow(QPainterPath& path) const;
};
