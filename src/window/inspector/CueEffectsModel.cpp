#include "window/inspector/CueEffectsModel.h"

#include "audio/effects/KivEffect.h"
#include "model/AudioCue.h"

#include <QMimeData>

#include <algorithm>
#include <set>

CueEffectsModel::CueEffectsModel(Move move, QObject* parent)
    : QAbstractTableModel(parent)
    , _move(std::move(move)) {}

void CueEffectsModel::setCue(std::shared_ptr<AudioCue> cue) {
    beginResetModel();
    _cue = std::move(cue);
    observeEffects();
    endResetModel();
}

void CueEffectsModel::reload() {
    beginResetModel();
    observeEffects();
    endResetModel();
}

void CueEffectsModel::observeEffects() {
    _fitObservations.clear();
    if (!_cue) {
        return;
    }
    for (const auto& effect : _cue->effects()) {
        // The chain is fitted under its source's locks: the rows are told later.
        _fitObservations.push_back(effect->fitChanged().connect([this] {
            QMetaObject::invokeMethod(
                this, [this] { reload(); }, Qt::QueuedConnection);
        }));
    }
}

int CueEffectsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !_cue ? 0 : static_cast<int>(_cue->effects().size());
}

int CueEffectsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant CueEffectsModel::data(const QModelIndex& index, int role) const {
    if (!_cue || index.row() < 0 || index.row() >= rowCount()) {
        return {};
    }
    const KivEffect& effect = *_cue->effects()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(effect.displayName());
    case kNoticeRole:
    case Qt::ToolTipRole:
        if (effect.refusedChannels() != 0) {
            return QString::fromLatin1(kKivEffectRefusedChannelsNotice);
        }
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags CueEffectsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

Qt::DropActions CueEffectsModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions CueEffectsModel::supportedDragActions() const {
    return Qt::MoveAction;
}

QStringList CueEffectsModel::mimeTypes() const {
    return {QString::fromLatin1(kReorderType)};
}

QMimeData* CueEffectsModel::mimeData(const QModelIndexList& indexes) const {
    std::set<int> rows;
    for (const QModelIndex& index : indexes) {
        rows.insert(index.row());
    }
    QByteArray text;
    for (const int row : rows) {
        text += QByteArray::number(row) + ' ';
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kReorderType), text.trimmed());
    return data;
}

bool CueEffectsModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                      const QModelIndex&) const {
    return data && data->hasFormat(QString::fromLatin1(kReorderType));
}

bool CueEffectsModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                   int column, const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent) || !_cue) {
        return false;
    }
    const QList<QByteArray> rows = data->data(QString::fromLatin1(kReorderType)).split(' ');
    bool ok = false;
    const int from = rows.isEmpty() ? -1 : rows.front().toInt(&ok);
    if (!ok || from < 0 || from >= rowCount()) {
        return false;
    }
    // A drop onto a row lands before it; below the last row, at the end.
    int to = row >= 0 ? row : (parent.isValid() ? parent.row() : rowCount());
    to = std::clamp(to, 0, rowCount());
    _move(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
    return true;
}
