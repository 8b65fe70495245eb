#include "window/grid/CueCellController.h"

#include "KivUI/services/KivPrompts.h"
#include "foundation/KivLog.h"
#include "model/AudioCue.h"
#include "platform/audiofile/AudioFileTypes.h"
#include "platform/undo/UndoManager.h"
#include "window/grid/CueCellView.h"
#include "window/grid/GridView.h"
#include "window/grid/GridViewDelegate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSaveFile>
#include <QTimer>

#include <cerrno>
#include <cstring>

namespace {

// "Audio Files (*.wav *.aiff ...)": what the readers take.
QString audioFilesFilter() {
    QStringList patterns;
    for (const std::string& extension : readableAudioFileExtensions()) {
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    }
    return QStringLiteral("Audio Files (%1)").arg(patterns.join(QLatin1Char(' ')));
}

// Copies through a temporary file in the target's folder that replaces the
// target only once it is complete.
bool copyReplacing(const QString& source, const QString& target, QString& error) {
    // Opened without blocking and looked at first: a FIFO in the media's
    // place is refused, never waited on.
    const int fd = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        error = fd < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                       : QStringLiteral("It is not a regular file.");
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        error = in.errorString();
        ::close(fd);
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        error = out.errorString();
        return false;
    }
    char buffer[1 << 16];
    for (qint64 read; (read = in.read(buffer, sizeof buffer)) > 0;) {
        if (out.write(buffer, read) != read) {
            error = out.errorString();
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        error = in.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        error = out.errorString();
        return false;
    }
    return true;
}

using FlagSetter = void (AudioCue::*)(bool);

// One half of a toggle; it registers the other half as its undo. The undo
// step outlives the cell, which every reload makes anew.
void setFlag(UndoManager& undo, const std::shared_ptr<AudioCue>& cue, FlagSetter set, bool value,
             const char* actionName) {
    ((*cue).*set)(value);
    undo.registerUndo(cue.get(), [&undo, cue, set, value, actionName] {
        setFlag(undo, cue, set, !value, actionName);
    });
    if (!undo.isUndoing()) {
        undo.setActionName(actionName);
    }
}

} // namespace

CueCellController::CueCellController(CueCellView& view)
    : _view(view) {}

template <typename Get, typename Set>
void CueCellController::toggle(const char* actionName, Get get, Set set) {
    const std::shared_ptr<AudioCue> cue = _view.cue();
    GridViewDelegate* delegate = _view.grid().delegate();
    if (!cue || !delegate) {
        return;
    }
    setFlag(delegate->undoManager(), cue, set, !((*cue).*get)(), actionName);
    _view.update();
}

void CueCellController::toggleLoop() {
    toggle("Looping", &AudioCue::loops, &AudioCue::setLoops);
}

void CueCellController::toggleHold() {
    toggle("Hold", &AudioCue::hold, &AudioCue::setHold);
}

void CueCellController::toggleSolo() {
    toggle("Solo", &AudioCue::solo, &AudioCue::setSolo);
}

void CueCellController::toggleDucking() {
    toggle("Ducking", &AudioCue::ducking, &AudioCue::setDucking);
}

void CueCellController::exportFile() {
    const std::shared_ptr<AudioCue> cue = _view.cue();
    GridViewDelegate* delegate = _view.grid().delegate();
    if (!cue || !delegate) {
        return;
    }
    const QString source = QString::fromStdString(cue->file());
    const QString target = delegate->prompts().runSavePanel(
        {QStringLiteral("Export File"), QString(), QFileInfo(source).fileName(), {}});
    if (target.isEmpty()) {
        return;
    }
    QString error;
    if (!copyReplacing(source, target, error)) {
        logFormat("error exporting file: %s", error.toUtf8().constData());
        delegate->prompts().runAlert(
            {QStringLiteral("The file \u201C%1\u201D could not be exported.")
                 .arg(QFileInfo(source).fileName()),
             error,
             {QStringLiteral("OK")}});
    }
}

void CueCellController::importFile() {
    GridViewDelegate* delegate = _view.grid().delegate();
    if (!delegate) {
        return;
    }
    const QStringList chosen = delegate->prompts().runOpenPanel(
        {.title = QStringLiteral("Import File"),
         .directory = QString(),
         .nameFilters = {audioFilesFilter(), QStringLiteral("All Files (*)")},
         .allowsMultipleSelection = true,
         .packageExtension = QString()});
    if (chosen.isEmpty()) {
        return;
    }
    std::vector<std::string> paths;
    for (const QString& path : chosen) {
        paths.push_back(QFile::encodeName(path).toStdString());
    }
    GridView* grid = &_view.grid();
    const std::size_t index = _view.index();
    // After the panel has gone.
    QTimer::singleShot(0, grid, [grid, paths, index] { grid->importFiles(paths, index); });
}

std::unique_ptr<QMenu> CueCellController::makeContextMenu() {
    auto menu = std::make_unique<QMenu>();
    const std::shared_ptr<AudioCue> cue = _view.cue();
    if (cue) {
        const auto addToggle = [&](const QString& title, bool on,
                                   void (CueCellController::*slot)()) {
            QAction* action = menu->addAction(title);
            action->setCheckable(true);
            action->setChecked(on);
            QObject::connect(action, &QAction::triggered, [this, slot] { (this->*slot)(); });
        };
        addToggle(QStringLiteral("Loop"), cue->loops(), &CueCellController::toggleLoop);
        addToggle(QStringLiteral("Hold"), cue->hold(), &CueCellController::toggleHold);
        addToggle(QStringLiteral("Solo"), cue->solo(), &CueCellController::toggleSolo);
        addToggle(QStringLiteral("Ducking"), cue->ducking(), &CueCellController::toggleDucking);
        menu->addSeparator();
    }
    QObject::connect(menu->addAction(QStringLiteral("Import File...")), &QAction::triggered,
                     [this] { importFile(); });
    if (cue) {
        QObject::connect(menu->addAction(QStringLiteral("Export File...")), &QAction::triggered,
                         [this] { exportFile(); });
    }
    return menu;
}

void CueCellController::showContextMenu(const QPoint& globalPosition) {
    makeContextMenu()->exec(globalPosition);
}
