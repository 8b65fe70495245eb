#pragma once

#include "audio/source/KivAudioBuffer.h"
#include "window/waveform/AudioWaveformEditor.h"

#include <QAbstractScrollArea>

#include <memory>
#include <optional>

class AudioCue;
class AudioWaveform;
class AudioWaveformExecutor;
class KivAlias;

// The zoomable waveform editor of one cue's file: the overview, a time ruler
// along the top, the played range with its two handles, the user's selection
// and the playhead. The whole file is a virtual canvas of the file's length
// at the zoom (an hour at 5000 px/s is wider than any widget may be); only the
// visible slice is painted and the horizontal scroll bar moves over it.
// Main thread.
class AudioWaveformView : public QAbstractScrollArea {
public:
    explicit AudioWaveformView(QWidget* parent = nullptr);
    // Tests give an executor they drive and fill the overview's buffer by hand.
    AudioWaveformView(std::shared_ptr<AudioWaveformExecutor> executor, KivAudioBufferWorker worker,
                      QWidget* parent);
    ~AudioWaveformView() override;

    // The cue shown, not owned; called again when its start or end changes. A
    // cue of another file gets a new overview and the zoom that fits it.
    void setCue(const std::shared_ptr<AudioCue>& cue);
    // Zoom about the selection, the playhead or the middle of the visible part.
    void setPixelsPerSecond(double pixelsPerSecond);
    double pixelsPerSecond() const { return _editor.pixelsPerSecond(); }
    // The user's selection becomes the played range when over 0.1 s long.
    void setStartAndEndFromSelection();
    void clearSelection();
    // The user's selection becomes the whole file.
    void selectAll();
    // The cue's progress or playing changed.
    void refreshCursorPosition();
    void openCueFileWithExternalEditor();

    const AudioWaveformEditor& editor() const { return _editor; }
    const std::shared_ptr<AudioWaveform>& waveform() const { return _waveform; }
    int scrollX() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setWaveform(std::shared_ptr<AudioWaveform> waveform);
    void applyScroll(std::optional<float> scrollX);
    void updateScrollRange();
    bool cueRunning() const;
    // Over a handle of the played range or of the selection.
    bool overHandle(float x) const;
    void paintRuler(QPainter& painter, int fromX, int toX, int height);
    void paintWaveform(QPainter& painter, int fromX, int toX, int height);
    void paintRanges(QPainter& painter, int fromX, int toX, int height);

    std::shared_ptr<AudioWaveformExecutor> _executor;
    KivAudioBufferWorker _worker;
    std::weak_ptr<AudioCue> _cue;
    std::shared_ptr<KivAlias> _alias;
    std::shared_ptr<AudioWaveform> _waveform;
    AudioWaveformEditor _editor;
};
