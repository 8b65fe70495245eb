#include "window/workspace/LogController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/drawing/KivColors.h"
#include "foundation/NotificationCenter.h"
#include "model/PondraLogger.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LogController::LogController(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , _textView(new QPlainTextEdit(this))
    , _muteButton(new VornButton(QStringLiteral("Pause logging"), this))
    , _clearButton(new VornButton(QStringLiteral("Clear"), this)) {
    setWindowTitle(QStringLiteral("Log"));
    _muteButton->setObjectName(QStringLiteral("muteButton"));
    _clearButton->setObjectName(QStringLiteral("clearButton"));
    resize(480, 320);
    // The workspace window's dark ground, with the text fields' colours.
    setPalette(KivColors::darkPalette(palette()));
    setAutoFillBackground(true);
    _textView->setReadOnly(true);
    _textView->setFrameShape(QFrame::NoFrame);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(_muteButton);
    buttons->addStretch();
    buttons->addWidget(_clearButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_textView);
    layout->addLayout(buttons);
    connect(_muteButton, &QPushButton::clicked, this, [this] { toggleMute(); });
    connect(_clearButton, &QPushButton::clicked, this, [this] { clearLog(); });
}

LogController::~LogController() {
    _observation.disconnect();
}

void LogController::setLogger(std::shared_ptr<PondraLogger> logger) {
    if (logger == _logger) {
        return;
    }
    _observation.disconnect();
    _logger = std::move(logger);
    if (_logger) {
        // Posted on the appending thread, which may be the MIDI thread.
        _observation = NotificationCenter::defaultCenter().addObserver(
            PondraLogUpdatedNotification, _logger.get(), [this](const Notification&) {
                QMetaObject::invokeMethod(
                    this, [this] { refreshLog(); }, Qt::QueuedConnection);
            });
    }
    refreshLog();
    updateMuteButton();
}

void LogController::refreshLog() {
    _textView->setPlainText(_logger ? QString::fromStdString(_logger->stringWithContentsOfLog())
                                    : QString());
}

void LogController::toggleMute() {
    if (_logger) {
        _logger->toggleMute();
    }
    updateMuteButton();
}

void LogController::clearLog() {
    if (_logger) {
        _logger->clearLog();
    }
}

void LogController::updateMuteButton() {
    _muteButton->setText(_logger && _logger->muted() ? QStringLiteral("Resume logging")
                                                     : QStringLiteral("Pause logging"));
}
