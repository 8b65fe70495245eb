#include "KivUI/controls/VornSplitterHandle.h"

#include "KivUI/controls/VornSplitView.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivDeviceSnap.h"
#include "KivUI/drawing/KivNamedImages.h"
#include "KivUI/drawing/KivPainterRatio.h"
#include "KivUI/drawing/KivPartDrawing.h"

#include <QPainter>

#include <cmath>

VornSplitterHandle::VornSplitterHandle(Qt::Orientation orientation, VornSplitView* parent)
    : QSplitterHandle(orientation, parent)
    , _splitView(parent) {}

void VornSplitterHandle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!_splitView->drawsSkinnedDivider()) {
        painter.fillRect(rect(), KivColors::splitDivider());
        return;
    }
    const qreal ratio = KivPainterRatio(painter);
    const QImage bar = KivNamedImages::named(QStringLiteral("vorn_splitter_bar"), ratio);
    KivPartDrawing::drawThreePart(painter, rect(), bar, bar, bar);
    const QImage handle = KivNamedImages::named(QStringLiteral("vorn_splitter_handle"), ratio);
    const QSizeF size = handle.deviceIndependentSize();
    const QRectF at(std::round((width() - size.width()) / 2),
                    std::round((height() - size.height()) / 2), size.width(), size.height());
    KivDeviceSnap(painter).drawImage(at, handle);
}
