#include "tabbar/TavTabDragWindow.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivCompositing.h"
#include "tabbar/TavTabDragView.h"

#include <QPainter>

TavTabDragWindow::TavTabDragWindow(const QImage& image, StyleMask styleMask)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    , _styleMask(styleMask)
    , _dragView(new TavTabDragView(this)) {
    setObjectName(QStringLiteral("tabDragWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Without a compositing manager the clear parts of a cross-fade would
    // show black: the window's own background shows through instead.
    setAttribute(Qt::WA_TranslucentBackground, KivCompositing::isActive());
    _dragView->setImage(image);
    const QSize size = image.deviceIndependentSize().toSize();
    resize(size.width(), size.height() + titleBarHeight());
    placeDragView();
}

int TavTabDragWindow::titleBarHeight() const {
    return _styleMask == StyleMask::Titled ? kTitleBarHeight : 0;
}

void TavTabDragWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeDragView();
}

void TavTabDragWindow::placeDragView() {
    _dragView->setGeometry(0, titleBarHeight(), width(), height() - titleBarHeight());
}

void TavTabDragWindow::paintEvent(QPaintEvent*) {
    if (_styleMask != StyleMask::Titled) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), kTitleBarHeight), KivColors::windowBackground());
}
