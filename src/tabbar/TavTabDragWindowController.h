#pragma once

#include "tabbar/TavTabDragWindow.h"

#include <QImage>

#include <memory>

class KivAnimation;
class TavTabDragView;

// One drag window for the length of a tab drag: translucent, and in tear-off
// style 1 able to morph between the tab's image and its alternate (the
// window's image) in a quarter second, reversible half way without a jump.
// Each tick sizes the window between the two images' sizes, centred on the
// pointer. Ticks come from the main loop's scheduler. GUI thread only.
class TavTabDragWindowController {
public:
    static constexpr double kAlpha = 0.75;
    static constexpr double kSwitchDuration = 0.25;

    TavTabDragWindowController(const QImage& image, TavTabDragWindow::StyleMask styleMask,
                               int tearOffStyle);
    ~TavTabDragWindowController();
    TavTabDragWindowController(const TavTabDragWindowController&) = delete;
    TavTabDragWindowController& operator=(const TavTabDragWindowController&) = delete;

    TavTabDragWindow& window() const { return *_window; }
    // The window's opacity as last set. Kept here exactly: the window keeps
    // it in 8 bits, and without a compositing manager it shows nothing of it.
    double alpha() const { return _alpha; }
    void setAlpha(double alpha);
    int tearOffStyle() const { return _tearOffStyle; }
    const QImage& image() const;
    const QImage& alternateImage() const;
    void setAlternateImage(const QImage& image);
    bool isAnimating() const;
    // The alternate image is shown or being switched to.
    bool isShowingAlternate() const { return _showingAlternate; }
    // Only in tear-off style 1 with an alternate image; a switch under way
    // turns back from where it is.
    void switchImages();

private:
    void animateTimer(double progress);

    std::unique_ptr<TavTabDragWindow> _window;
    int _tearOffStyle;
    TavTabDragView* _view;
    std::unique_ptr<KivAnimation> _animation;
    bool _showingAlternate = false;
    double _alpha = kAlpha;
};
