#pragma once

#include <QWidget>

// The workspace window's two-channel output meter: a bar per channel for
// the average power and a mark for the held peak. Values are on the meter
// scale: -4 shows nothing, 0 is 0 dB, 1 is +12 dB; a bar fills
// (value + 4) / 5 of its length, turning red from 0 dB on.
class PondraAudioLevelView final : public QWidget {
public:
    static constexpr float kFloor = -4.0f;

    explicit PondraAudioLevelView(QWidget* parent = nullptr);

    float leftChannelPower() const { return _levels[0]; }
    float rightChannelPeak() const { return _levels[3]; }
    // Each redraws only when its value changes.
    void setLeftChannelPower(float value) { set(0, value); }
    void setLeftChannelPeak(float value) { set(1, value); }
    void setRightChannelPower(float value) { set(2, value); }
    void setRightChannelPeak(float value) { set(3, value); }

    // Decibels on the meter scale: -60 dB and below read -4, -15 dB -2, 0 dB
    // 0 and +12 dB 1.
    static float meterValue(float decibels);

    QSize sizeHint() const override { return {150, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void set(int index, float value);

    float _levels[4] = {kFloor, kFloor, kFloor, kFloor};
};
