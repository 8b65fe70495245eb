#include "window/inspector/CueEffectRowDelegate.h"

#include "KivUI/drawing/KivColors.h"
#include "window/inspector/CueEffectsModel.h"

#include <QApplication>
#include <QPainter>

namespace {

QFont noticeFont(const QFont& font) {
    QFont smaller(font);
    smaller.setPointSizeF(font.pointSizeF() * 0.85);
    return smaller;
}

} // namespace

CueEffectRowDelegate::CueEffectRowDelegate(int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent)
    , _rowHeight(rowHeight) {}

QSize CueEffectRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    const QSize hint = QStyledItemDelegate::sizeHint(option, index);
    if (index.data(CueEffectsModel::kNoticeRole).toString().isEmpty()) {
        return {hint.width(), _rowHeight};
    }
    return {hint.width(), _rowHeight + QFontMetrics(noticeFont(option.font)).height()};
}

void CueEffectRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QString notice = index.data(CueEffectsModel::kNoticeRole).toString();
    if (notice.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    const QString name = item.text;
    item.text.clear();
    QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    // The row's background and selection, without its text.
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    // Inset as the plain rows' text is.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget)
                           .adjusted(margin, 0, -margin, 0);
    const QRect nameLine(text.left(), option.rect.top(), text.width(), _rowHeight);
    const QRect noticeLine(text.left(), nameLine.bottom() + 1 - 3, text.width(),
                           option.rect.bottom() + 1 - (nameLine.bottom() + 1 - 3));
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(nameLine, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(name, Qt::ElideRight, nameLine.width()));
    const QFont small = noticeFont(option.font);
    painter->setFont(small);
    painter->setPen(selected ? item.palette.color(QPalette::HighlightedText)
                             : KivColors::warningText());
    painter->drawText(noticeLine, Qt::AlignLeft | Qt::AlignTop,
                      QFontMetrics(small).elidedText(notice, Qt::ElideRight, noticeLine.width()));
    painter->restore();
}
