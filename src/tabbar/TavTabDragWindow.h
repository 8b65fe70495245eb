#pragma once

#include <QWidget>

class QImage;
class TavTabDragView;

// A floating window around one drag view, above every other window and
// blind to the mouse, so the hit-testing beneath it goes on. A titled window
// keeps a title bar's height above its image. GUI thread only.
class TavTabDragWindow final : public QWidget {
public:
    enum class StyleMask { Borderless, Titled };
    static constexpr int kTitleBarHeight = 22;

    TavTabDragWindow(const QImage& image, StyleMask styleMask);

    TavTabDragView& dragView() const { return *_dragView; }
    StyleMask styleMask() const { return _styleMask; }
    // Height above the drag view.
    int titleBarHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placeDragView();

    StyleMask _styleMask;
    TavTabDragView* _dragView;
};
