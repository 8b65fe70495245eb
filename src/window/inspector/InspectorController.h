#pragma once

#include "KivUI/views/CueInspectorView.h"
#include "platform/midi/MidiMessage.h"

#include <QPointer>

#include <memory>

class AudioCue;
class CueInspectorController;
class QLabel;
class InspectorDelegate;

// The pane below the cart grid: the cue inspector, or the warnings view slid
// in over it from below while the cue editor slides out at the top. It also
// takes the first look at every MIDI batch, for MIDI learn. GUI thread.
class InspectorController final : public CueInspectorView {
public:
    static constexpr int kSlideMilliseconds = 250;

    explicit InspectorController(InspectorDelegate& delegate, QWidget* parent = nullptr);
    ~InspectorController() override;

    CueInspectorController& cueInspectorController() const { return *_cueInspector; }
    std::shared_ptr<AudioCue> cue() const;
    // The selected cue, or none: grid selection, tab selection, removal, show
    // mode. Over a warnings list with no warning left, a cue brings the cue
    // inspector back.
    void setCue(std::shared_ptr<AudioCue> cue);

    // The warnings list; the pane takes it as a child, hidden below itself.
    void setBrokenCueView(QWidget* view);
    QWidget* brokenCueView() const { return _brokenCueView; }
    bool brokenCueViewIsVisible() const { return _brokenCueViewIsVisible; }
    // Off: the views jump to their places (tests, renders).
    void setAnimated(bool animated) { _animated = animated; }

    // Shows the cue inspector while it holds a cue, else nothing; not while
    // the warnings cover the pane.
    void refreshInspector();
    // In show mode the window first goes to edit mode, and the warnings show.
    void toggleBrokenCueView();

    // MIDI learn: with learn armed, the first message of a batch becomes the
    // cue's note and the batch is consumed (true): it fires no cue.
    bool processMIDIMessages(const MidiBatch& messages);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect frameForInspectorView() const;
    QRect frameForBrokenCueView() const;
    void slide(QWidget* view, const QRect& frame, bool shown);
    // The warnings slide out below, the cue inspector (holding a cue) in.
    void slideBrokenCueViewOut();

    InspectorDelegate& _delegate;
    CueInspectorController* _cueInspector = nullptr;
    QLabel* _noCueLabel = nullptr;
    QPointer<QWidget> _brokenCueView;
    bool _brokenCueViewIsVisible = false;
    bool _animated = true;
};
