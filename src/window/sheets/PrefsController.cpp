#include "window/sheets/PrefsController.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/services/UserDefaults.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {

constexpr const char* kFrameKey = "PrefsController";

} // namespace

PrefsController::PrefsController(UserDefaults& defaults, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , _defaults(defaults)
    , _logLevelButton(new VornPopUpButton(this)) {
    setObjectName(QStringLiteral("prefsWindow"));
    setWindowTitle(QStringLiteral("Preferences"));
    _logLevelButton->setObjectName(QStringLiteral("logLevelButton"));
    for (int level = 0; level < kLogLevels; ++level) {
        _logLevelButton->addItem(
            level == 0 ? QStringLiteral("0 (plays and errors)") : QString::number(level), level);
    }
    auto* label = new QLabel(QStringLiteral("Log level:"), this);
    label->setStyleSheet(QStringLiteral("color: #e0e0e0;"));
    auto* done = new VornButton(QStringLiteral("Done"), this);
    done->setDefault(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(14);
    layout->addWidget(label, 0, 0, Qt::AlignRight);
    layout->addWidget(_logLevelButton, 0, 1);
    layout->addWidget(done, 1, 1, Qt::AlignRight);

    bool isNumber = false;
    const int level = _defaults.value(QStringLiteral("LogLevel")).toInt(&isNumber);
    const int index = _logLevelButton->findData(isNumber ? level : 0);
    _logLevelButton->setCurrentIndex(index < 0 ? 0 : index);
    connect(_logLevelButton, &QComboBox::activated, this,
            [this](int chosen) { setLogLevel(_logLevelButton->itemData(chosen).toInt()); });
    connect(done, &QPushButton::clicked, this, [this] { this->done(); });

    resize(sizeHint().expandedTo(QSize(320, 0)));
    const QByteArray frame = _defaults.value(QString::fromLatin1(kFrameKey)).toByteArray();
    if (frame.isEmpty() || !restoreGeometry(frame)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
}

void PrefsController::setLogLevel(int level) {
    _defaults.setValue(QStringLiteral("LogLevel"), level);
    KivEnvironment::setLogLevel(level);
    logFormat("Setting log level to %li", static_cast<long>(level));
}

void PrefsController::done() {
    close();
}

void PrefsController::hideEvent(QHideEvent* event) {
    _defaults.setValue(QString::fromLatin1(kFrameKey), saveGeometry());
    QWidget::hideEvent(event);
}

void PrefsController::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), KivColors::windowBackground());
}
