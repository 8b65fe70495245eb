#pragma once

// Whether a compositing manager blends translucent windows onto the screen.
// Without one a translucent window shows black where it is clear, so such
// windows are masked instead. Only X11 can lack one; other platforms (and
// the offscreen one of the tests) blend. GUI thread only.
namespace KivCompositing {

bool isActive();

} // namespace KivCompositing
