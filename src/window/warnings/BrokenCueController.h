#pragma once

#include "foundation/Scheduler.h"
#include "model/SafetyConcern.h"
#include "window/warnings/PopoverWindow.h"

#include <QAbstractButton>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioCue;
class BrokenCueView;
class KivTableView;

// The workspace window's warnings: the button that counts them
// ("<count> Warnings", hidden while there are none), the popover above it
// listing them, and every other list of them attached (the inspector's).
// Reloads come in bursts (every undo step, every tab change), so they are
// coalesced into one refresh 0.05 s after the last. The popover opens by
// itself once, at the first refresh. GUI thread only.
class BrokenCueController final : public QObject {
public:
    static constexpr double kReloadDelay = 0.05;
    // Every concern of the workspace, asked afresh at each refresh.
    using ConcernSource = std::function<std::vector<SafetyConcern>()>;
    // Shows a cue the user picked from a list.
    using CueSelection = std::function<void(const std::shared_ptr<AudioCue>&)>;

    BrokenCueController(ConcernSource concerns, CueSelection selectCue, Scheduler& scheduler);
    ~BrokenCueController() override;

    // The button in the window, which shows the count. Not owned.
    void setWarningButton(QAbstractButton* button);
    QAbstractButton* warningButton() const { return _warningButton; }
    // Keeps `view` filled with the concerns from now on and sends its
    // selections to the cue selection. Not owned.
    void attachView(BrokenCueView* view);
    // The list shown in the popover, owned here, and its table.
    BrokenCueView* popoverView() const { return _popoverView.get(); }
    KivTableView* brokenCueTableView() const;
    const std::vector<SafetyConcern>& brokenOrFlaggedCues() const { return _concerns; }

    // One refresh kReloadDelay after the last of a burst of calls.
    void reloadData();
    // The pending refresh, at once.
    void reloadDataNow();
    // Opens the popover above the button unless the button is not shown or
    // the popover is open already.
    void showPopoverIfNeeded();
    void showPopoverOnce();
    void hidePopover();
    PopoverWindow* popover() const { return _popover; }
    // No refresh from now on.
    void prepareToDie();

private:
    void executeReloadData();

    ConcernSource _source;
    CueSelection _selectCue;
    Scheduler& _scheduler;
    std::optional<Scheduler::TimerId> _reloadTimer;
    std::vector<SafetyConcern> _concerns;
    bool _didShowPopover = false;
    bool _aboutToDie = false;
    QPointer<QAbstractButton> _warningButton;
    std::vector<QPointer<BrokenCueView>> _views;
    // Outlives every popover it is lent to.
    std::unique_ptr<BrokenCueView> _popoverView;
    QPointer<PopoverWindow> _popover;
};
