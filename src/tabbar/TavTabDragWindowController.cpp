#include "tabbar/TavTabDragWindowController.h"

#include "KivUI/views/KivAnimation.h"
#include "tabbar/TavTabDragView.h"

#include <QCursor>

#include <cmath>

TavTabDragWindowController::TavTabDragWindowController(const QImage& image,
                                                       TavTabDragWindow::StyleMask styleMask,
                                                       int tearOffStyle)
    : _window(std::make_unique<TavTabDragWindow>(image, styleMask))
    , _tearOffStyle(tearOffStyle)
    , _view(&_window->dragView()) {
    _window->setWindowOpacity(kAlpha);
}

void TavTabDragWindowController::setAlpha(double alpha) {
    _alpha = alpha;
    _window->setWindowOpacity(alpha);
}

TavTabDragWindowController::~TavTabDragWindowController() {
    _animation.reset();
    _window->hide();
}

const QImage& TavTabDragWindowController::image() const {
    return _view->image();
}

const QImage& TavTabDragWindowController::alternateImage() const {
    return _view->alternateImage();
}

void TavTabDragWindowController::setAlternateImage(const QImage& image) {
    _view->setAlternateImage(image);
}

bool TavTabDragWindowController::isAnimating() const {
    return _animation && _animation->isAnimating();
}

void TavTabDragWindowController::switchImages() {
    if (_tearOffStyle != 1 || _view->alternateImage().isNull()) {
        return;
    }
    _showingAlternate = !_showingAlternate;
    // The ease-in-out curve is symmetric, so the mirrored share continues
    // the morph from the very size and fade it has reached.
    const double from = isAnimating() ? 1.0 - _animation->elapsedShare() : 0.0;
    if (!_animation) {
        _animation =
            std::make_unique<KivAnimation>(kSwitchDuration, KivAnimation::Curve::EaseInOut);
    }
    _animation->start([this](double progress) { animateTimer(progress); }, {}, from);
}

void TavTabDragWindowController::animateTimer(double progress) {
    // How far towards the alternate image the morph stands.
    const double toAlternate = _showingAlternate ? progress : 1.0 - progress;
    const QSizeF imageSize = _view->image().deviceIndependentSize();
    const QSizeF alternateSize = _view->alternateImage().deviceIndependentSize();
    const QSizeF size = imageSize + (alternateSize - imageSize) * toAlternate +
                        QSizeF(0, _window->titleBarHeight());
    const QPointF pointer = QCursor::pos();
    _view->setFadeValue(1.0 - toAlternate);
    _window->setGeometry(static_cast<int>(std::lround(pointer.x() - size.width() / 2)),
                         static_cast<int>(std::lround(pointer.y() - size.height() / 2)),
                         static_cast<int>(std::lround(size.width())),
                         static_cast<int>(std::lround(size.height())));
}
