#include "tabbar/TavTearOffProxyWindow.h"

#include "KivUI/KivAnimation.h"
#include "KivUI/KivCompositing.h"

#include <QPainter>

#include <cmath>

void TavTearOffProxyWindow::expandWindow(QWidget& window, const QPointF& point) {
    // Owned by the window, it deletes itself once the window shows.
    new TavTearOffProxyWindow(window, point);
}

TavTearOffProxyWindow::TavTearOffProxyWindow(QWidget& window, const QPointF& point)
    : QWidget(&window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    , _window(window)
    , _image(window.grab().toImage())
    , _final(QPoint(static_cast<int>(std::lround(point.x() - window.width() / 2.0)),
                    static_cast<int>(std::lround(point.y() - window.height() / 2.0))),
             window.size())
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
