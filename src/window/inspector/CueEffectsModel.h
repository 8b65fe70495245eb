#pragma once

#include "foundation/Signal.h"

#include <QAbstractTableModel>

#include <functional>
#include <memory>
#include <vector>

class AudioCue;

// The effects table's rows: one per effect of the cue's chain, showing its
// display name, and, under kNoticeRole (and as the tool tip), why an effect
// is left out of the cue's sound; a change of that is shown as soon as the
// chain has been fitted. Rows dragged inside the table travel as
// "PondraReorderTableType"; a drop moves the first dragged row before the
// drop row. GUI thread.
class CueEffectsModel final : public QAbstractTableModel {
public:
    static constexpr const char* kReorderType = "PondraReorderTableType";
    static constexpr int kNoticeRole = Qt::UserRole + 1;
    using Move = std::function<void(std::size_t from, std::size_t to)>;

    explicit CueEffectsModel(Move move, QObject* parent = nullptr);

    void setCue(std::shared_ptr<AudioCue> cue);
    // The chain changed: every row again.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    // Follows the fit of every effect of the chain.
    void observeEffects();

    std::shared_ptr<AudioCue> _cue;
    Move _move;
    std::vector<Connection> _fitObservations;
};
