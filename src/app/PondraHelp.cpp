// The Help menu's commands of the application object.
#include "app/EulaWindow.h"
#include "app/Pondra.h"
#include "crashreporter/KivAboutController.h"
#include "crashreporter/ResourceStrings.h"
#include "crashreporter/ZorFeedbackProvider.h"

#include <QUrl>

void Pondra::showAboutWindow() {
    if (!_about) {
        _about = std::make_unique<KivAboutController>(_openUrl);
    }
    _about->showWindow();
}

void Pondra::showDocumentation() {
    _openUrl(QUrl(ResourceStrings::info(QStringLiteral("PondraDocumentationURL"))));
}

void Pondra::showChangelog() {
    _openUrl(QUrl(ResourceStrings::info(QStringLiteral("PondraChangelogURL"))));
}

void Pondra::contactSupport() {
    _openUrl(QUrl(QStringLiteral("mailto:") +
                  ResourceStrings::info(QStringLiteral("PondraSupportAddress"))));
}

void Pondra::orderFrontFeedbackWindow() {
    ZorFeedbackProvider(*_prompts, _defaults).orderFrontFeedbackWindow();
}

void Pondra::showEULA() {
    if (!_eulaWindow) {
        _eulaWindow = std::make_unique<EulaWindow>();
    }
    _eulaWindow->centre();
    _eulaWindow->show();
    _eulaWindow->raise();
    _eulaWindow->activateWindow();
}
