#include "tabbar/TavTearOffProxyWindow.h"

#include "KivUI/drawing/KivCompositing.h"
#include "KivUI/views/KivAnimation.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// Centred on the pointer, but held on the screen under it: a window whose
// title bar lands off the screen cannot be moved back.
QRect placeOnScreen(const QSize& size, const QPointF& point, const QWidget& window) {
    QRect frame(QPoint(static_cast<int>(std::lround(point.x() - size.width() / 2.0)),
                       static_cast<int>(std::lround(point.y() - size.height() / 2.0))),
                size);
    const QScreen* screen = QGuiApplication::screenAt(point.toPoint());
    if (!screen) {
        screen = window.screen();
    }
    if (screen) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(
            std::max(area.left(), std::min(frame.left(), area.right() + 1 - size.width())));
        frame.moveTop(
            std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - size.height())));
    }
    return frame;
}

} // namespace

void TavTearOffProxyWindow::expandWindow(QWidget& window, const QPointF& point) {
    // Owned by the window, it deletes itself once the window shows.
    new TavTearOffProxyWindow(window, point);
}

TavTearOffProxyWindow::TavTearOffProxyWindow(QWidget& window, const QPointF& point)
    : QWidget(&window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    , _window(window)
    , _image(window.grab().toImage())
    , _final(placeOnScreen(window.size(), point, window))
    , _animation(std::make_unique<KivAnimation>(kDuration, KivAnimation::Curve::EaseInOut)) {
    setObjectName(QStringLiteral("tearOffProxyWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground, KivCompositing::isActive());
    window.hide();
    step(0.0);
    show();
    _animation->start([this](double progress) { step(progress); }, [this] { finish(); });
}

TavTearOffProxyWindow::~TavTearOffProxyWindow() = default;

void TavTearOffProxyWindow::step(double progress) {
    const double scale = kStartScale + (1.0 - kStartScale) * progress;
    const QSizeF size = QSizeF(_final.size()) * scale;
    const QPointF centre = QRectF(_final).center();
    setGeometry(static_cast<int>(std::lround(centre.x() - size.width() / 2)),
                static_cast<int>(std::lround(centre.y() - size.height() / 2)),
                static_cast<int>(std::lround(size.width())),
                static_cast<int>(std::lround(size.height())));
    setWindowOpacity(scale);
}

void TavTearOffProxyWindow::finish() {
    hide();
    _window.setGeometry(_final);
    _window.show();
    _window.raise();
    _window.activateWindow();
    deleteLater();
}

void TavTearOffProxyWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), _image);
}
