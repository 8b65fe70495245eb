#include "app/PondraSession.h"

#include "app/Pondra.h"
#include "audio/effects/KivComponentCatalogue.h"
#include "audio/effects/KivEffectEditorWindow.h"
#include "audio/effects/KivLv2Catalogue.h"
#include "effecteditor/EffectEditor.h"
#include "model/Workspace.h"
#include "platform/effects/Lv2World.h"

#include <QTimer>

// The installed LV2 plugins as the effects every cue can take, each with its
// editor window, for as long as the session runs.
class PondraSession::Effects {
public:
    explicit Effects(KivPrompts& prompts) {
        // Read once, before any window: the bundles are small text files.
        setComponentCatalogue(std::make_shared<KivLv2Catalogue>(Lv2World::load()));
        EffectEditor::install(prompts);
    }
    ~Effects() {
        setEffectEditorFactory(nullptr);
        setComponentCatalogue(nullptr);
    }
    Effects(const Effects&) = delete;
    Effects& operator=(const Effects&) = delete;
};

PondraSession::PondraSession(Pondra& application)
    : _application(application)
    , _effects(std::make_unique<Effects>(application.prompts()))
    , _windows(
          application, [] { return std::make_shared<Workspace>(); }, application.prompts()) {}

PondraSession::~PondraSession() = default;

void PondraSession::launch(QStringList packages) {
    QTimer::singleShot(0, &_application, [this, packages = std::move(packages)] {
        _application.applicationDidFinishLaunching();
        for (const QString& package : packages) {
            _windows.openPackage(package.toStdString());
        }
        if (_windows.documentController().documents().empty() &&
            _application.applicationShouldOpenUntitledFile()) {
            _windows.openUntitled();
        }
    });
}
