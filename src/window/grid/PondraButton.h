#pragma once

#include <QAbstractButton>

#include <functional>

// The cue cell's play button: presses the cue when the mouse goes down on it
// and releases it when the mouse goes up, so a hold cue plays while held.
class PondraButton final : public QAbstractButton {
public:
    explicit PondraButton(QWidget* parent = nullptr);

    // "play" or "stop": which of "play_cue.png" and "stop_cue.png" it shows.
    void setImageKind(const QString& kind);

    std::function<void()> onTriggerDown;
    std::function<void()> onTriggerUp;

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString _kind = QStringLiteral("play");
    bool _tracking = false;
};
