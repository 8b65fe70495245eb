#include "app/EulaWindow.h"

#include "KivUI/drawing/KivColors.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

EulaWindow::EulaWindow()
    : QWidget(nullptr, Qt::Window)
    , _eulaText(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("eulaWindow"));
    setWindowTitle(QStringLiteral("Licence Agreement"));
    resize(520, 460);
    setPalette(KivColors::darkPalette(palette()));
    setAutoFillBackground(true);
    _eulaText->setObjectName(QStringLiteral("eulaText"));
    _eulaText->setFrameShape(QFrame::NoFrame);
    _eulaText->setOpenLinks(false);
    _eulaText->setSource(QUrl(QStringLiteral("qrc:/eula.html")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(_eulaText);
}

void EulaWindow::centre() {
    QRect frame = geometry();
    frame.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    setGeometry(frame);
}
