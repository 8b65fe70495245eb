#include "window/warnings/BrokenCueTableModel.h"

#include "KivUI/drawing/KivDrawing.h"
#include "model/AudioCue.h"
#include "model/Cart.h"

namespace {

// Wider than the list ever is: names from a document are cut to this before
// a cell lays them out.
constexpr qreal kWidestColumn = 2000;

} // namespace

BrokenCueTableModel::BrokenCueTableModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void BrokenCueTableModel::setConcerns(std::vector<SafetyConcern> concerns) {
    beginResetModel();
    _concerns = std::move(concerns);
    endResetModel();
}

int BrokenCueTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(_concerns.size());
}

int BrokenCueTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant BrokenCueTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const SafetyConcern& concern = _concerns[static_cast<std::size_t>(index.row())];
    const std::shared_ptr<AudioCue> cue = concern.cue();
    switch (index.column()) {
    case kCueName:
        return cue ? KivDrawing::boundedText(cue->listName(), kWidestColumn) : QString();
    case kCartName:
        return cue && cue->cart() ? KivDrawing::boundedText(cue->cart()->name(), kWidestColumn)
                                  : QString();
    case kWarning:
        return KivDrawing::boundedText(concern.description(), kWidestColumn);
    default:
        return QString();
    }
}

QVariant BrokenCueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case kCueName:
        return QStringLiteral("Cue Name");
    case kCartName:
        return QStringLiteral("Cart Name");
    case kWarning:
        return QStringLiteral("Warning");
    default:
        return {};
    }
}
