#pragma once

#include <QStyledItemDelegate>

// Draws the effects table's rows: an effect's name, and under it, for an
// effect left out of the cue's sound, why (CueEffectsModel::kNoticeRole) in
// the warning colour, on a row tall enough for both lines. GUI thread.
class CueEffectRowDelegate final : public QStyledItemDelegate {
public:
    // `rowHeight`: the height of a row without a notice.
    explicit CueEffectRowDelegate(int rowHeight, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int _rowHeight;
};
