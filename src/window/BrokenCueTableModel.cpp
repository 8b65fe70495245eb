#include "window/BrokenCueTableModel.h"

#include "model/AudioCue.h"
#include "model/Cart.h"

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
        return cue ? QString::fromStdString(cue->listName()) : QString();
    case kCartName:
        return cue && cue->cart() ? QString::fromStdString(cue->cart()->name()) : QString();
    case kWarning:
        return QString::fromStdString(concern.description());
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
