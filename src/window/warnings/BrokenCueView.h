#pragma once

#include "model/SafetyConcern.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class AudioCue;
class BrokenCueTableModel;
class KivTableView;
class QLabel;

// The list of warnings: a "<count> Warnings" label over a dark table of the
// concerns, in the columns "Cue Name", "Cart Name" and "Warning". The
// warnings popover shows one and the inspector can show another; the
// BrokenCueController feeds every view attached to it
// (BrokenCueController::attachView). GUI thread only.
class BrokenCueView final : public QWidget {
public:
    explicit BrokenCueView(QWidget* parent = nullptr);
    ~BrokenCueView() override;

    // "1 Warning", else "<count> Warnings": the count wherever it is shown.
    static QString countText(std::size_t count);

    // Shows these concerns, in this order; a selection is cleared.
    void setConcerns(std::vector<SafetyConcern> concerns);
    const std::vector<SafetyConcern>& concerns() const;

    // Called with a row's cue when the user selects that row (never for no
    // selection, nor for a concern whose cue has gone).
    void setCueSelected(std::function<void(const std::shared_ptr<AudioCue>&)> selected) {
        _cueSelected = std::move(selected);
    }

    QLabel* label() const { return _label; }
    KivTableView* tableView() const { return _table; }

private:
    void selectionChanged();

    QLabel* _label;
    KivTableView* _table;
    BrokenCueTableModel* _model;
    std::function<void(const std::shared_ptr<AudioCue>&)> _cueSelected;
};
