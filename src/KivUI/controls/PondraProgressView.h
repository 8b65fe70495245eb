#pragma once

#include <QWidget>

// The cue cell's progress bar: a three-part groove and, clipped to a
// rounded rectangle inside it, the fill over the played part.
class PondraProgressView : public QWidget {
public:
    static constexpr qreal kClipInsetX = 1.0;
    static constexpr qreal kClipInsetY = 3.0;
    static constexpr qreal kClipRadius = 4.0;

    using QWidget::QWidget;

    double progress() const { return _progress; }
    // 0 to 1; redraws only when the value changes.
    void setProgress(double progress);
    bool isPaused() const { return _paused; }
    // The fill, green while what it measures plays, turns amber while it is paused.
    void setPaused(bool paused);

    QSize sizeHint() const override { return {120, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double _progress = 0;
    bool _paused = false;
};
