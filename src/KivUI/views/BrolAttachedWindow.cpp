#include "KivUI/views/BrolAttachedWindow.h"

#include "KivUI/drawing/KivCompositing.h"
#include "KivUI/views/KivViewGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

const QScreen& primaryScreen() {
    return *QGuiApplication::primaryScreen();
}

// A rectangle of Qt's global coordinates on the y-up screen.
KivRect onScreen(const QRect& global) {
    const KivPoint bottomLeft = KivViewGeometry::globalToScreen(
        QPointF(global.x(), global.y() + global.height()), primaryScreen());
    return {bottomLeft.x, bottomLeft.y, static_cast<float>(global.width()),
            static_cast<float>(global.height())};
}

} // namespace

BrolAttachedWindow::BrolAttachedWindow(QWidget* view, KivPoint point, QWidget* window, int side,
                                       float distance)
    : QWidget(window, Qt::Tool | Qt::FramelessWindowHint)
    , _view(view)
    , _window(window)
    , _point(point) {
    Q_ASSERT(view);
    setAttribute(Qt::WA_TranslucentBackground);
    _geometry.viewSize = {static_cast<float>(view->width()), static_cast<float>(view->height())};
    _geometry.side = side;
    _geometry.distance = distance;
    if (side == kAutomaticSide) {
        const KivRect visible = visibleFrame();
        _geometry.side = _geometry.bestSide(pointOnScreen(), visible,
                                            _window ? onScreen(_window->frameGeometry()) : visible);
    }
    view->setParent(this);
    view->show();
    view->installEventFilter(this);
    layoutWindow();
    updateBackground();
}

BrolAttachedWindow::BrolAttachedWindow(QWidget* view, KivPoint point, int side, float distance)
    : BrolAttachedWindow(view, point, nullptr, side, distance) {}

BrolAttachedWindow::~BrolAttachedWindow() {
    // The view is its owner's: out before the children go.
    if (_view && _view->parentWidget() == this) {
        _view->removeEventFilter(this);
        _view->hide();
        _view->setParent(nullptr);
    }
}

void BrolAttachedWindow::setPoint(KivPoint point, int side) {
    _point = point;
    _geometry.side = side;
    redisplay();
}

void BrolAttachedWindow::setBorderColor(const QColor& color) {
    if (color == _borderColor) {
        return;
    }
    _borderColor = color;
    updateBackground();
}

void BrolAttachedWindow::setBorderWidth(float width) {
    if (width == _borderWidth) {
        return;
    }
    _borderWidth = std::clamp(width, 0.0f, _geometry.viewMargin);
    updateBackground();
}

void BrolAttachedWindow::setViewMargin(float margin) {
    if (margin == _geometry.viewMargin) {
        return;
    }
    _geometry.viewMargin = std::max(margin, 0.0f);
    setCornerRadius(_geometry.cornerRadius);
}

void BrolAttachedWindow::setCornerRadius(float radius) {
    const KivRect view = viewFrame();
    const float most =
        (2 * _geometry.viewMargin + std::min(view.width, view.height) - _geometry.arrowBaseWidth) /
        2;
    _geometry.cornerRadius = std::max(0.0f, std::min(radius, most));
    setArrowBaseWidth(_geometry.arrowBaseWidth);
}

void BrolAttachedWindow::setArrowBaseWidth(float width) {
    const KivRect view = viewFrame();
    float most =
        2 * _geometry.viewMargin + std::min(view.width, view.height) - _geometry.cornerRadius;
    if (_geometry.drawsRoundCornerBesideArrow) {
        most -= _geometry.cornerRadius;
    }
    _geometry.arrowBaseWidth = std::max(0.0f, std::min(width, most));
    redisplay();
}

void BrolAttachedWindow::setArrowHeight(float height) {
    if (height == _geometry.arrowHeight) {
        return;
    }
    _geometry.arrowHeight = height;
    redisplay();
}

void BrolAttachedWindow::setHasArrow(bool hasArrow) {
    if (hasArrow == _geometry.hasArrow) {
        return;
    }
    _geometry.hasArrow = hasArrow;
    updateBackground();
}

void BrolAttachedWindow::setDrawsRoundCornerBesideArrow(bool round) {
    if (round == _geometry.drawsRoundCornerBesideArrow) {
        return;
    }
    _geometry.drawsRoundCornerBesideArrow = round;
    redisplay();
}

void BrolAttachedWindow::setBackgroundColor(const QColor& color) {
    if (color == _backgroundColor) {
        return;
    }
    _backgroundColor = color;
    updateBackground();
}

QImage BrolAttachedWindow::bubbleImage(qreal ratio) const {
    const QSizeF size(_windowFrame.width, _windowFrame.height);
    QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The one flip from the window's y-up outline to Qt's y-down.
    const QPainterPath path = QTransform(1, 0, 0, -1, 0, size.height()).map(_geometry.outline());
    painter.setClipPath(path);
    painter.fillPath(path, _backgroundColor);
    if (_borderWidth > 0) {
        // Twice as wide, half of it clipped away: the border lies inside.
        QPen pen(_borderColor, 2 * _borderWidth);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(path, pen);
    }
    return image;
}

void BrolAttachedWindow::resignKey() {
    if (QWidget* owner = parentWidget()) {
        owner->window()->activateWindow();
    }
    resigned();
}

void BrolAttachedWindow::paintEvent(QPaintEvent*) {
    if (_background.devicePixelRatio() != devicePixelRatioF()) {
        _background = bubbleImage(devicePixelRatioF());
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), _background);
}

void BrolAttachedWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) {
        return;
    }
    if (isActiveWindow()) {
        _wasActive = true;
    } else if (_wasActive) {
        resigned();
    }
}

bool BrolAttachedWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == _view && event->type() == QEvent::Resize) {
        redisplay();
    }
    return QWidget::eventFilter(watched, event);
}

void BrolAttachedWindow::layoutWindow() {
    _geometry.viewSize = {static_cast<float>(_view->width()), static_cast<float>(_view->height())};
    _windowFrame = _geometry.windowFrame(pointOnScreen());
    const QPointF topLeft = KivViewGeometry::screenToGlobal(
        {_windowFrame.x, _windowFrame.y + _windowFrame.height}, primaryScreen());
    setGeometry(QRectF(topLeft, QSizeF(_windowFrame.width, _windowFrame.height)).toRect());
    _view->setGeometry(KivViewGeometry(_windowFrame.height).toQt(viewFrame()).toRect());
}

void BrolAttachedWindow::updateBackground() {
    _background = bubbleImage(devicePixelRatioF());
    if (KivCompositing::isActive()) {
        clearMask();
    } else {
        const QPainterPath path =
            QTransform(1, 0, 0, -1, 0, _windowFrame.height).map(_geometry.outline());
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    }
    update();
}

void BrolAttachedWindow::redisplay() {
    if (_resizing) {
        return;
    }
    _resizing = true;
    layoutWindow();
    updateBackground();
    _resizing = false;
}

KivPoint BrolAttachedWindow::pointOnScreen() const {
    if (!_window) {
        return _point;
    }
    const QPointF global = _window->mapToGlobal(KivViewGeometry(*_window).toQt(_point));
    return KivViewGeometry::globalToScreen(global, primaryScreen());
}

KivRect BrolAttachedWindow::visibleFrame() const {
    const QScreen* screen =
        _window && _window->screen() ? _window->screen() : QGuiApplication::primaryScreen();
    return onScreen(screen->availableGeometry());
}

void BrolAttachedWindow::resigned() {
    _wasActive = false;
    if (_resigned) {
        // The callback may close this window.
        const auto callback = _resigned;
        callback();
    }
}
