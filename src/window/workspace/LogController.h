#pragma once

#include "foundation/Signal.h"

#include <QWidget>

#include <memory>

class PondraLogger;
class QPlainTextEdit;
class QPushButton;

// The play-log window of a workspace: the logger's lines, a button pausing
// and resuming logging and one clearing the log. Loggers change on any
// thread; the text follows on the GUI thread.
class LogController final : public QWidget {
public:
    explicit LogController(QWidget* parent = nullptr);
    ~LogController() override;

    // Observes the new logger's updates instead of the old one's.
    void setLogger(std::shared_ptr<PondraLogger> logger);
    const std::shared_ptr<PondraLogger>& logger() const { return _logger; }

    QPlainTextEdit* textView() const { return _textView; }

    void refreshLog();
    void toggleMute();
    void clearLog();

private:
    void updateMuteButton();

    std::shared_ptr<PondraLogger> _logger;
    Connection _observation;
    QPlainTextEdit* _textView;
    QPushButton* _muteButton;
    QPushButton* _clearButton;
};
