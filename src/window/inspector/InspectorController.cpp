#include "window/inspector/InspectorController.h"

#include "model/AudioCue.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorDelegate.h"
#include "window/warnings/BrokenCueController.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

InspectorController::InspectorController(InspectorDelegate& delegate, QWidget* parent)
    : CueInspectorView(parent)
    , _delegate(delegate)
    , _cueInspector(new CueInspectorController(delegate, this))
    , _noCueLabel(new QLabel(QStringLiteral("No Cue Selected"), this)) {
    setObjectName(QStringLiteral("inspectorController"));
    _noCueLabel->setObjectName(QStringLiteral("noCueLabel"));
    _noCueLabel->setAlignment(Qt::AlignCenter);
    _noCueLabel->setStyleSheet(QStringLiteral("color: #b8b8b8; font-size: 13px;"));
    _noCueLabel->lower();
    _cueInspector->hide();
    refreshInspector();
}

InspectorController::~InspectorController() {
    _cueInspector->setCue(nullptr);
}

std::shared_ptr<AudioCue> InspectorController::cue() const {
    return _cueInspector->cue();
}

void InspectorController::setCue(std::shared_ptr<AudioCue> cue) {
    const bool selected = cue != nullptr;
    _cueInspector->setCue(std::move(cue));
    // An empty list has nothing left to show for the cue picked.
    if (selected && _brokenCueViewIsVisible &&
        _delegate.brokenCueController().brokenOrFlaggedCues().empty()) {
        slideBrokenCueViewOut();
    }
    refreshInspector();
}

void InspectorController::setBrokenCueView(QWidget* view) {
    if (_brokenCueView) {
        _brokenCueView->hide();
    }
    _brokenCueView = view;
    if (!view) {
        return;
    }
    view->setParent(this);
    view->setObjectName(view->objectName().isEmpty() ? QStringLiteral("brokenCueView")
                                                     : view->objectName());
    view->setGeometry(frameForBrokenCueView());
    view->setVisible(_brokenCueViewIsVisible);
}

QRect InspectorController::frameForInspectorView() const {
    return _brokenCueViewIsVisible ? rect().translated(0, -height()) : rect();
}

QRect InspectorController::frameForBrokenCueView() const {
    return _brokenCueViewIsVisible ? rect() : rect().translated(0, height());
}

void InspectorController::refreshInspector() {
    _noCueLabel->setVisible(!_brokenCueViewIsVisible && !_cueInspector->cue());
    if (_brokenCueViewIsVisible) {
        return;
    }
    if (_cueInspector->cue()) {
        // A visible one keeps its place: it may be sliding in.
        if (!_cueInspector->isVisible()) {
            _cueInspector->setGeometry(rect());
            _cueInspector->show();
        }
        _cueInspector->refreshContents();
    } else {
        _cueInspector->hide();
    }
}

void InspectorController::toggleBrokenCueView() {
    if (_delegate.inShowMode()) {
        _delegate.setEditMode();
        _brokenCueViewIsVisible = true;
    } else if (!_delegate.inspectorVisible()) {
        _brokenCueViewIsVisible = true;
    } else {
        _brokenCueViewIsVisible = !_brokenCueViewIsVisible;
    }
    if (_brokenCueViewIsVisible) {
        _delegate.showInspector();
        if (_brokenCueView) {
            slide(_brokenCueView, rect(), true);
            _brokenCueView->setFocus(Qt::OtherFocusReason);
        }
        slide(_cueInspector, frameForInspectorView(), false);
        _delegate.brokenCueController().hidePopover();
    } else {
        slideBrokenCueViewOut();
        _delegate.makeCartFirstResponder();
    }
    _delegate.brokenCueController().reloadData();
    refreshInspector();
}

void InspectorController::slideBrokenCueViewOut() {
    _brokenCueViewIsVisible = false;
    if (_brokenCueView) {
        slide(_brokenCueView, frameForBrokenCueView(), false);
    }
    if (_cueInspector->cue()) {
        slide(_cueInspector, rect(), true);
    }
}

void InspectorController::slide(QWidget* view, const QRect& frame, bool shown) {
    auto* fade = qobject_cast<QGraphicsOpacityEffect*>(view->graphicsEffect());
    if (!fade) {
        fade = new QGraphicsOpacityEffect(view);
        fade->setOpacity(view->isVisible() ? 1.0 : 0.0);
        view->setGraphicsEffect(fade);
    }
    view->show();
    view->raise();
    const qreal opacity = shown ? 1.0 : 0.0;
    if (!_animated) {
        view->setGeometry(frame);
        view->setGraphicsEffect(nullptr);
        view->setVisible(shown);
        return;
    }
    auto* group = new QParallelAnimationGroup(view);
    auto* move = new QPropertyAnimation(view, "geometry", group);
    move->setDuration(kSlideMilliseconds);
    move->setEndValue(frame);
    move->setEasingCurve(QEasingCurve::InOutQuad);
    auto* alpha = new QPropertyAnimation(fade, "opacity", group);
    alpha->setDuration(kSlideMilliseconds);
    alpha->setEndValue(opacity);
    group->addAnimation(move);
    group->addAnimation(alpha);
    QPointer<QWidget> guarded = view;
    // Drawn through the effect only while it fades.
    connect(group, &QAbstractAnimation::finished, view, [guarded, shown] {
        if (guarded) {
            guarded->setVisible(shown);
            guarded->setGraphicsEffect(nullptr);
        }
    });
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

bool InspectorController::processMIDIMessages(const MidiBatch& messages) {
    if (!_cueInspector->captureMIDI() || messages.empty() || !_cueInspector->cue()) {
        return false;
    }
    _cueInspector->cue()->setMidiTriggerFrom(messages.front());
    _cueInspector->setCaptureMIDI(false);
    return true;
}

void InspectorController::resizeEvent(QResizeEvent* event) {
    CueInspectorView::resizeEvent(event);
    _noCueLabel->setGeometry(rect());
    _cueInspector->setGeometry(frameForInspectorView());
    if (_brokenCueView) {
        _brokenCueView->setGeometry(frameForBrokenCueView());
    }
}
