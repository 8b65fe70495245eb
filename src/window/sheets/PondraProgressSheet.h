#pragma once

#include "model/SaveProgress.h"

#include <QWidget>

class QLabel;
class QProgressBar;

// The small progress sheet over the top of a window while it saves: a text
// over a bar that runs without an end, 300 x 100.
class PondraProgressSheet : public QWidget, public SaveProgress {
public:
    static constexpr QSize kSize{300, 100};

    explicit PondraProgressSheet(QWidget* window, const QString& text = {});

    QLabel* textField() const { return _textField; }
    QProgressBar* progressIndicator() const { return _progressIndicator; }

    void showOnWindow();
    // Keeps it centred at the top of its window.
    void placeInWindow();

    void beginProgress(const std::string& text) override;
    void endProgress() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* _textField;
    QProgressBar* _progressIndicator;
};
