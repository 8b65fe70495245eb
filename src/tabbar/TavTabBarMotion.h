#pragma once

#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <vector>

class KivAnimation;
class TavTabBarControl;

// How the bar moves: its cells slide to the frames a layout gave them, and
// the bar collapses to one point while it hides a single tab. Owned by its
// bar; GUI thread only.
class TavTabBarMotion final {
public:
    explicit TavTabBarMotion(TavTabBarControl& bar);
    ~TavTabBarMotion();
    TavTabBarMotion(const TavTabBarMotion&) = delete;
    TavTabBarMotion& operator=(const TavTabBarMotion&) = delete;

    // One frame a cell, in the bar's order; the add-tab button follows the
    // controller's rectangle.
    void moveCells(const std::vector<QRectF>& targets, bool animate);
    bool isAnimating() const;
    void stop();

    bool isHidden() const { return _isHidden; }
    // Collapses to one point or expands, always in a short animation; not
    // before the first showing.
    void hide(bool hide);
    // Collapses a single tab's bar at the first showing, without animation.
    void firstShowing();
    bool hasShown() const { return _awakenedFromNib; }
    void setBarHeight(int height);

private:
    void animateCells(double progress, const std::vector<QRectF>& targets);
    void finishCellAnimation(const std::vector<QRectF>& targets);
    void placeAddTabButton(double x);
    std::optional<QPointF> mousePosition() const;

    TavTabBarControl& _bar;
    std::unique_ptr<KivAnimation> _cellAnimation;
    std::unique_ptr<KivAnimation> _showHideAnimation;
    bool _isHidden = false;
    bool _awakenedFromNib = false;
};
