#include "effecteditor/EffectEditorWindow.h"

#include "effecteditor/EffectEditor.h"
#include "effecteditor/EffectEditorPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

EffectEditorWindow::WorkspaceWindowFinder& workspaceWindowFinder() {
    static EffectEditorWindow::WorkspaceWindowFinder finder;
    return finder;
}

} // namespace

void EffectEditorWindow::setWorkspaceWindowFinder(WorkspaceWindowFinder finder) {
    workspaceWindowFinder() = std::move(finder);
}

EffectEditorWindow::EffectEditorWindow(KivEffect& effect, KivPrompts& prompts,
                                       std::shared_ptr<EffectPresetExecutor> executor)
    : _editor(new EffectEditor(effect, prompts, std::move(executor))) {
    present(false);
}

EffectEditorWindow::~EffectEditorWindow() {
    _editor->detachFromEffect();
    _editor->hide();
    _editor->deleteLater();
}

void EffectEditorWindow::present(bool waited) {
    QWidget* window = nullptr;
    if (const WorkspaceWindowFinder& finder = workspaceWindowFinder();
        finder && _editor->effect()) {
        window = finder(*_editor->effect());
        if (!window || !window->isVisible()) {
            window = nullptr;
            if (!waited) {
                _waiting = std::make_unique<QObject>();
                QTimer::singleShot(0, _waiting.get(), [this] { present(true); });
                return;
            }
        }
    }
    if (window && !_placed) {
        // Measured as it will show: polished, laid out.
        _editor->ensurePolished();
        _editor->adjustSize();
        const QScreen* screen = window->screen();
        const QRect area = screen ? screen->availableGeometry() : window->frameGeometry();
        // Not shown yet, the editor has no frame: it will get one like the window's.
        const QSize frame =
            _editor->size() + window->frameGeometry().size() - window->geometry().size();
        _editor->move(EffectEditorPlacement::besideWindow(window->frameGeometry(), frame, area));
    }
    _editor->show();
}

bool EffectEditorWindow::isVisible() const {
    return _editor->isVisible();
}

std::string EffectEditorWindow::frameText() const {
    const QPoint place = _editor->pos();
    const QSize size = _editor->size();
    return "{{" + std::to_string(place.x()) + ", " + std::to_string(place.y()) + "}, {" +
           std::to_string(size.width()) + ", " + std::to_string(size.height()) + "}}";
}

void EffectEditorWindow::setFrameText(const std::string& frame) {
    double x = 0, y = 0, width = 0, height = 0;
    if (std::sscanf(frame.c_str(), "{{%lf, %lf}, {%lf, %lf}}", &x, &y, &width, &height) != 4 ||
        width <= 0 || height <= 0) {
        return;
    }
    const QPoint place(static_cast<int>(x), static_cast<int>(y));
    // A show moved to a smaller screen, or to a display without the screen
    // it was saved on, keeps its editor in sight.
    if (!QGuiApplication::screenAt(place + QPoint(static_cast<int>(width) / 2, 10))) {
        return;
    }
    // Only the place: the size is the view's own.
    _editor->move(place);
    _placed = true;
}

void EffectEditorWindow::show() {
    _editor->show();
    _editor->raise();
    _editor->activateWindow();
}

void EffectEditorWindow::close() {
    _editor->hide();
}
