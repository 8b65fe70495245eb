#include "KivUI/outline/KivHeaderView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/drawing/KivGradient.h"

#include <QPainter>

namespace {

constexpr qreal kTitleIndent = 2.0;

} // namespace

KivHeaderView::KivHeaderView(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHighlightSections(false);
}

QSize KivHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(fontMetrics().height() + 6);
    return size;
}

void KivHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    KivGradient::fill(*painter, rect, 270, KivColors::headerTop(), KivColors::headerBottom());
    const QString title =
        model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    if (!title.isEmpty()) {
        painter->setPen(Qt::white);
        painter->drawText(QRectF(rect).adjusted(kTitleIndent + 2, 0, -4, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, title);
        painter->fillRect(QRectF(rect.right(), rect.top(), 1, rect.height()),
                          KivColors::headerSeparator());
    }
    painter->restore();
}
