#pragma once

#include "foundation/Scheduler.h"

#include <QWidget>

#include <optional>

// The 16 x 16 spinner a tab shows while its item is busy. Showing or hiding
// it asks the bar to lay out again, since it takes room in the tab. GUI
// thread only.
class TavProgressIndicator final : public QWidget {
public:
    explicit TavProgressIndicator(QWidget* parent = nullptr);
    ~TavProgressIndicator() override;

    void setVisible(bool visible) override;
    // Turns one spoke every 1/30 s on the main loop.
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return _timer.has_value(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<Scheduler::TimerId> _timer;
    int _step = 0;
};
