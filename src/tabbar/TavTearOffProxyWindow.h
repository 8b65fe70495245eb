#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <memory>

class KivAnimation;

// A frameless stand-in that grows a torn-off tab's new window into view:
// the window hides, its image grows from a tenth of its size about the
// pointer while it fades in, then the window shows where the image ended.
// The platform has no call to transform a window, so the stand-in is a
// window of its own, owned by the real one so that it goes with it.
// Ticks come from the main loop's scheduler. GUI thread only.
class TavTearOffProxyWindow final : public QWidget {
public:
    static constexpr double kDuration = 0.25;
    static constexpr double kStartScale = 0.1;

    // Starts the growth of `window`, centred on the global point as far as
    // the screen under it allows.
    static void expandWindow(QWidget& window, const QPointF& point);
    ~TavTearOffProxyWindow() override;

    // Where the real window shows at the end.
    const QRect& finalGeometry() const { return _final; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TavTearOffProxyWindow(QWidget& window, const QPointF& point);
    void step(double progress);
    void finish();

    QWidget& _window;
    QImage _image;
    QRect _final;
    std::unique_ptr<KivAnimation> _animation;
};
