#pragma once

#include "model/SafetyConcern.h"

#include <QAbstractTableModel>

#include <vector>

// The rows of the warnings table, one concern each, in the columns
// "Cue Name", "Cart Name" and "Warning". The texts are read when shown, so a
// renamed cue reads as it is now. GUI thread only.
class BrokenCueTableModel final : public QAbstractTableModel {
public:
    enum Column { kCueName, kCartName, kWarning, kColumnCount };

    explicit BrokenCueTableModel(QObject* parent = nullptr);

    const std::vector<SafetyConcern>& concerns() const { return _concerns; }
    void setConcerns(std::vector<SafetyConcern> concerns);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<SafetyConcern> _concerns;
};
