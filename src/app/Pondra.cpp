#include "app/Pondra.h"

#include "KivUI/drawing/KivMenuTheme.h"
#include "app/EulaWindow.h"
#include "app/UserDefaultsMidiSettings.h"
#include "crashreporter/CheckForNewCrashReport.h"
#include "crashreporter/KivAboutController.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "platform/crash/CrashWriter.h"
#include "platform/system/SystemInformation.h"
#include "platform/undo/UndoManager.h"

#include <QAbstractEventDispatcher>
#include <QIcon>

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace {

// The kernel release without the kernel name in front of it.
std::string systemVersion() {
    const std::string version = SystemInformation::operatingSystemVersion();
    const auto space = version.find(' ');
    return space == std::string::npos ? version : version.substr(space + 1);
}

} // namespace

const char* Pondra::versionString() {
    return PONDRA_VERSION;
}

Pondra::Pondra(int& argc, char** argv, MidiSequencerFactory midiFactory)
    : QApplication(argc, argv)
    , _midiFactory(std::move(midiFactory)) {
    setOrganizationName(kOrganizationName);
    setApplicationName(kApplicationName);
    setApplicationVersion(versionString());
    // The desktop matches the windows to the installed desktop entry and icon.
    setDesktopFileName(QStringLiteral(PONDRA_APP_ID));
    setWindowIcon(QIcon(QStringLiteral(":/Pondra.png")));
    // Menus and pop-ups over the dark windows, whatever the desktop's colours.
    installDarkMenuTheme();
    initializeClass();
    installEventFilter(&_toolTipDelay);
    // exit() ends the loop without a quit request.
    connect(this, &QCoreApplication::aboutToQuit, this, [this] {
        if (!_hardStopPosted) {
            applicationWillTerminate();
        }
    });
    // One user action is one undo step: each document's turn ends when the
    // event loop has nothing left to do.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &Pondra::endUndoTurns);
}

Pondra::~Pondra() {
    // The reader threads stop here, before anything they reach goes.
    _midiInput.reset();
}

void Pondra::initializeClass() {
    logFormat("Pondra %s on Linux %s with %.1f GB RAM", versionString(), systemVersion().c_str(),
              static_cast<double>(SystemInformation::physicalMemoryBytes()) / 1073741824.0);
    KivEnvironment::setObject(std::chrono::system_clock::now(), "appLaunchDate");
    bool isNumber = false;
    const int level = _defaults.value("LogLevel").toInt(&isNumber);
    KivEnvironment::setLogLevel(isNumber ? level : 0);
    logFormat("Launching at log level %d", KivEnvironment::logLevel());
    srandom(static_cast<unsigned>(std::time(nullptr)));
    _defaults.setValue("NSInitialToolTipDelay", kInitialToolTipDelay);
    _toolTipDelay.setDelay(kInitialToolTipDelay);
}

void Pondra::applicationDidFinishLaunching() {
    // There is no outside feedback framework: the own check runs every launch.
    _crashCheck = CheckForNewCrashReport(
        QString::fromLatin1(kApplicationName),
        QString::fromStdString(CrashWriter::reportsFolder(kApplicationName)), *_prompts, _defaults);
    initializeMIDI();
    _applicationHasFinishedLaunching = true;
}

void Pondra::initializeMIDI() {
    if (_midiInitialized) {
        return;
    }
    _midiSettings = std::make_unique<UserDefaultsMidiSettings>(_defaults);
    _midiInput = std::make_unique<MidiInput>(*this, *_midiSettings, _midiFactory);
    _midiInitialized = true;
}

void Pondra::applicationWillTerminate() {
    _hardStopPosted = true;
    NotificationCenter::defaultCenter().post("PondraCueHardStopNotification", this);
}

bool Pondra::event(QEvent* event) {
    if (event->type() != QEvent::Quit) {
        return QApplication::event(event);
    }
    // The windows are asked first; the show plays on while they answer, and
    // on through a quit that one of them calls off.
    const bool handled = QApplication::event(event);
    if (event->isAccepted()) {
        applicationWillTerminate();
    }
    return handled;
}

void Pondra::takeMIDIMessages(const MidiBatch& messages) {
    QMetaObject::invokeMethod(
        this, [this, messages] { deliverMIDIMessages(messages); }, Qt::QueuedConnection);
}

void Pondra::deliverMIDIMessages(const MidiBatch& messages) {
    if (!_documents) {
        return;
    }
    for (ApplicationDocument* document : _documents->documents()) {
        if (MidiBatchProcessor* windowController = document->firstWindowController()) {
            windowController->processMIDIMessages(messages);
        }
    }
}

void Pondra::endUndoTurns() {
    if (!_documents) {
        return;
    }
    for (ApplicationDocument* document : _documents->documents()) {
        document->undoManager().endTurn();
    }
}
