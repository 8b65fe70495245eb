#include "window/warnings/BrokenCueController.h"

#include "KivUI/views/KivViewGeometry.h"
#include "window/warnings/BrokenCueView.h"
#include "window/warnings/PopoverWindow.h"

#include <QAbstractButton>

#include <algorithm>

namespace {

// Above the point, centred on it.
constexpr int kPopoverSide = 3;

} // namespace

BrokenCueController::BrokenCueController(ConcernSource concerns, CueSelection selectCue,
                                         Scheduler& scheduler)
    : _source(std::move(concerns))
    , _selectCue(std::move(selectCue))
    , _scheduler(scheduler)
    , _popoverView(std::make_unique<BrokenCueView>()) {
    _popoverView->resize(560, 170);
    attachView(_popoverView.get());
}

BrokenCueController::~BrokenCueController() {
    prepareToDie();
    hidePopover();
    for (const auto& view : _views) {
        if (view) {
            view->setCueSelected({});
        }
    }
}

void BrokenCueController::setWarningButton(QAbstractButton* button) {
    _warningButton = button;
    if (button) {
        button->setText(BrokenCueView::countText(_concerns.size()));
        button->setVisible(!_concerns.empty());
    }
}

void BrokenCueController::attachView(BrokenCueView* view) {
    _views.emplace_back(view);
    view->setCueSelected([this](const std::shared_ptr<AudioCue>& cue) {
        if (_selectCue) {
            _selectCue(cue);
        }
    });
    view->setConcerns(_concerns);
}

KivTableView* BrokenCueController::brokenCueTableView() const {
    return _popoverView->tableView();
}

void BrokenCueController::reloadData() {
    if (_aboutToDie) {
        return;
    }
    if (_reloadTimer) {
        _scheduler.cancel(*_reloadTimer);
    }
    _reloadTimer = _scheduler.scheduleOnce(kReloadDelay, [this] { executeReloadData(); });
}

void BrokenCueController::reloadDataNow() {
    if (_reloadTimer) {
        _scheduler.cancel(*_reloadTimer);
    }
    executeReloadData();
}

void BrokenCueController::executeReloadData() {
    _reloadTimer.reset();
    if (_aboutToDie) {
        return;
    }
    _concerns = _source();
    std::erase_if(_views, [](const QPointer<BrokenCueView>& view) { return view.isNull(); });
    for (const auto& view : _views) {
        view->setConcerns(_concerns);
    }
    if (_warningButton) {
        _warningButton->setText(BrokenCueView::countText(_concerns.size()));
        _warningButton->setVisible(!_concerns.empty());
    }
    showPopoverOnce();
}

void BrokenCueController::showPopoverIfNeeded() {
    // Nothing to point at while the button, or its window, is not shown.
    if (!_warningButton || !_warningButton->isVisible() || _popover) {
        return;
    }
    // The top centre of the button, in its window's y-up coordinates.
    QWidget* window = _warningButton->window();
    const QPointF top = _warningButton->mapTo(window, QPointF(_warningButton->width() / 2.0, 0.0));
    const KivPoint point = KivViewGeometry(*window).fromQt(top);
    _popover = new PopoverWindow(_popoverView.get(), point, window, kPopoverSide);
    _popover->setObjectName(QStringLiteral("popover"));
    _popover->setResignedKey([this] { hidePopover(); });
    _popover->show();
    _popover->activateWindow();
}

void BrokenCueController::showPopoverOnce() {
    if (!_didShowPopover) {
        showPopoverIfNeeded();
        _didShowPopover = true;
    }
}

void BrokenCueController::hidePopover() {
    if (!_popover) {
        return;
    }
    PopoverWindow* popover = _popover;
    _popover = nullptr;
    popover->setResignedKey({});
    popover->hide();
    // It may be closing from inside its own key handling.
    popover->deleteLater();
}

void BrokenCueController::prepareToDie() {
    if (_reloadTimer) {
        _scheduler.cancel(*_reloadTimer);
        _reloadTimer.reset();
    }
    _aboutToDie = true;
}
