#pragma once

#include "foundation/Scheduler.h"

#include <QAbstractButton>
#include <QImage>
#include <QMenu>
#include <QPointer>

#include <optional>

// The pull-down button at the right end of a tab bar that holds the menu of
// the tabs that do not fit. It shows its named image, pressed while the menu
// is open; with an alternate image it can pulse that image over its own every
// 1/15 s while shown. GUI thread only.
class TavOverflowPopUpButton final : public QAbstractButton {
public:
    static constexpr double kPulseInterval = 1.0 / 15.0;
    static constexpr double kPulseStep = 0.033;

    explicit TavOverflowPopUpButton(QWidget* parent = nullptr);
    ~TavOverflowPopUpButton() override;

    // Not owned: the bar's layout makes the menu.
    void setMenu(QMenu* menu);
    QMenu* menu() const { return _menu; }

    void setAlternateImage(const QImage& image) { _alternateImage = image; }
    bool animatingAlternateImage() const { return _animatingAlternateImage; }
    void setAnimatingAlternateImage(bool animating);
    double animationValue() const { return _animationValue; }

    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void startPulse();
    void stopPulse();
    void menuClosed();

    QImage _alternateImage;
    QPointer<QMenu> _menu;
    bool _down = false;
    bool _animatingAlternateImage = false;
    std::optional<Scheduler::TimerId> _pulse;
    double _animationValue = 0;
};
