#include "window/workspace/PondraWindow.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornSplitView.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/PondraContentView.h"
#include "window/sheets/ImportProgressSheet.h"
#include "window/tabs/CartTabBar.h"
#include "window/workspace/HelpActions.h"
#include "window/workspace/ImageButton.h"
#include "window/workspace/PondraAudioLevelView.h"
#include "window/workspace/WorkspaceController.h"
#include "window/workspace/WorkspaceEditCommands.h"
#include "window/workspace/WorkspaceKeyRouter.h"
#include "window/workspace/WorkspaceOutputController.h"
#include "window/workspace/WorkspaceTabCommands.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

#include <functional>

namespace {

QLabel* barLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #d0d0d0; font-size: 11px;"));
    return label;
}

} // namespace

PondraWindow::PondraWindow(WorkspaceController& controller)
    : _controller(controller) {
    setObjectName(QStringLiteral("window"));
    setMinimumSize(820, 540);
    resize(960, 700);
    buildLayout();
    buildMenus();
}

PondraWindow::~PondraWindow() = default;

void PondraWindow::buildLayout() {
    auto* content = new PondraContentView(this);
    content->setObjectName(QStringLiteral("contentView"));
    QPalette palette = content->palette();
    palette.setColor(QPalette::Window, KivColors::windowBackground());
    palette.setColor(QPalette::WindowText, Qt::white);
    content->setPalette(palette);
    content->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    _splitView = new VornSplitView(Qt::Vertical, content);
    _splitView->setObjectName(QStringLiteral("splitView"));
    _tabs = new CartTabBar(_splitView);
    _tabs->setObjectName(QStringLiteral("mainPane"));
    _tabs->setMinimumHeight(kMinimumGridHeight);
    _inspectorPane = new QWidget(_splitView);
    _inspectorPane->setObjectName(QStringLiteral("inspectorPane"));
    _inspectorPane->setMinimumHeight(kMinimumInspectorHeight);
    auto* pane = new QVBoxLayout(_inspectorPane);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->setSpacing(0);
    _splitView->addWidget(_tabs);
    _splitView->addWidget(_inspectorPane);
    // Only the inspector folds away when the divider is dragged to the bottom.
    _splitView->setCollapsible(0, false);
    _splitView->setCollapsible(1, true);
    // The grid takes what the window gains; the inspector keeps its height.
    _splitView->setStretchFactor(0, 1);
    _splitView->setStretchFactor(1, 0);
    _splitView->setSizes({10000, kInspectorHeight});
    layout->addWidget(_splitView, 1);
    layout->addWidget(buildBottomBar(content));
    setCentralWidget(content);
    _importProgress = new ImportProgressSheet(content);
    _saveProgress = new PondraProgressSheet(content);
}

QWidget* PondraWindow::buildBottomBar(QWidget* parent) {
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("bottomBar"));
    bar->setFixedHeight(kBottomBarHeight);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(14, 8, 14, 8);
    row->setSpacing(8);

    auto* modes = new QWidget(bar);
    modes->setObjectName(QStringLiteral("modeControl"));
    auto* modeRow = new QHBoxLayout(modes);
    modeRow->setContentsMargins(0, 0, 0, 0);
    modeRow->setSpacing(0);
    _mode = new QButtonGroup(this);
    _mode->setObjectName(QStringLiteral("modeButton"));
    _mode->setExclusive(true);
    for (const auto& [id, title, name] : {std::tuple{kEditMode, "Edit", "editModeButton"},
                                          std::tuple{kShowMode, "Show", "showModeButton"}}) {
        auto* button = new VornButton(QString::fromLatin1(title), modes);
        button->setObjectName(QString::fromLatin1(name));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        _mode->addButton(button, id);
        modeRow->addWidget(button);
    }
    // The chosen mode is lit.
    connect(_mode, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        auto* button = static_cast<VornButton*>(_mode->button(id));
        button->setOverlayColor(checked ? QColor::fromRgbF(0.227, 0.467, 0.639, 0.6) : QColor());
    });
    connect(_mode, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == kShowMode) {
            _controller.setShowMode();
        } else {
            _controller.setEditMode();
        }
    });
    row->addWidget(modes);
    _warning = new VornButton(bar);
    _warning->setObjectName(QStringLiteral("warningButton"));
    _warning->setFocusPolicy(Qt::NoFocus);
    _warning->setOverlayColor(QColor::fromRgbF(0.9, 0.6, 0.1, 0.45));
    _warning->setToolTip(QStringLiteral("Show the cues that may not play as intended"));
    _warning->hide();
    connect(_warning, &QAbstractButton::clicked, this,
            [this] { _controller.toggleBrokenCueView(); });
    row->addWidget(_warning);
    row->addStretch(1);
    _audioLevel = new PondraAudioLevelView(bar);
    _audioLevel->setFixedSize(120, 22);
    row->addWidget(_audioLevel);
    row->addStretch(1);

    _buttonsContainer = new QWidget(bar);
    _buttonsContainer->setObjectName(QStringLiteral("buttonsContainer"));
    auto* buttons = new QHBoxLayout(_buttonsContainer);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    _pauseAll = new ImageButton(QStringLiteral("pause_button_normal"),
                                QStringLiteral("pause_button_highlighted"), _buttonsContainer);
    _pauseAll->setObjectName(QStringLiteral("pauseAllButton"));
    _pauseAll->setToolTip(QStringLiteral("Pause or resume every cue"));
    connect(_pauseAll, &QAbstractButton::clicked, this, [this] { _controller.togglePause(); });
    _ducking = new ImageButton(QStringLiteral("ducking_button_normal"),
                               QStringLiteral("ducking_button_highlighted"), _buttonsContainer);
    _ducking->setObjectName(QStringLiteral("duckingButton"));
    _ducking->setToolTip(QStringLiteral("Duck the master volume"));
    connect(_ducking, &QAbstractButton::clicked, this, [this] { _controller.toggleDucking(); });
    _panic = new VornButton(QStringLiteral("Panic"), _buttonsContainer);
    _panic->setObjectName(QStringLiteral("panicButton"));
    _panic->setFocusPolicy(Qt::NoFocus);
    _panic->setOverlayColor(QColor::fromRgbF(0.85, 0.15, 0.1, 0.45));
    _panic->setToolTip(QStringLiteral("Fade out every cue"));
    connect(_panic, &QAbstractButton::clicked, this, [this] { _controller.panicAll(); });
    buttons->addWidget(_pauseAll);
    buttons->addWidget(_ducking);
    buttons->addWidget(_panic);
    row->addWidget(_buttonsContainer);
    row->addStretch(1);

    _volumeContainer = new QWidget(bar);
    _volumeContainer->setObjectName(QStringLiteral("volumeContainer"));
    auto* volume = new QHBoxLayout(_volumeContainer);
    volume->setContentsMargins(0, 0, 0, 0);
    volume->setSpacing(8);
    volume->addWidget(barLabel(QStringLiteral("Master"), _volumeContainer));
    _volume = new VornSlider(Qt::Horizontal, _volumeContainer);
    _volume->setObjectName(QStringLiteral("volumeSlider"));
    _volume->setRange(0, 1000);
    _volume->setFixedWidth(120);
    _volume->setFocusPolicy(Qt::NoFocus);
    // A drag is heard as it goes and is one edit when it ends.
    connect(_volume, &QSlider::valueChanged, this, [this](int value) {
        if (_volume->isSliderDown()) {
            _controller.previewVolume(value);
        } else {
            _controller.changeVolume(value);
        }
    });
    connect(_volume, &VornSlider::valueCommitted, this,
            [this](int, int to) { _controller.changeVolume(to); });
    volume->addWidget(_volume);
    _outputs = new VornPopUpButton(_volumeContainer);
    _outputs->setObjectName(QStringLiteral("outputs"));
    _outputs->setFocusPolicy(Qt::NoFocus);
    _outputs->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(_outputs, &QComboBox::activated, this,
            [this](int index) { _controller.output().changeOutputDevice(index); });
    volume->addWidget(_outputs);
    row->addWidget(_volumeContainer);
    return bar;
}

QAction* PondraWindow::addAction(QMenu* menu, const char* name, const QString& title,
                                 const QKeySequence& shortcut,
                                 std::function<void(WorkspaceController&)> command) {
    auto* action = menu->addAction(title);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    connect(action, &QAction::triggered, this,
            [this, command = std::move(command)] { command(_controller); });
    _actions[action->objectName()] = action;
    return action;
}

void PondraWindow::buildMenus() {
    using W = WorkspaceController;
    // std::invoke rather than .*: GCC 12's vptr check misreads a captured this there.
    const auto onEdits = [](void (WorkspaceEditCommands::*command)()) {
        return [command](W& controller) { std::invoke(command, controller.edits()); };
    };
    const auto onTabs = [](void (WorkspaceTabCommands::*command)()) {
        return [command](W& controller) { std::invoke(command, controller.tabCommands()); };
    };
    menuBar()->setStyleSheet(QStringLiteral(
        "QMenuBar { background: #262424; color: #e6e6e6; border-bottom: 1px solid #141414; }"
        "QMenuBar::item { padding: 4px 10px; background: transparent; }"
        "QMenuBar::item:selected { background: #3a77a3; }"));
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    addAction(file, "newDocument", QStringLiteral("&New"), QKeySequence::New, &W::newDocument);
    addAction(file, "openDocument", QStringLiteral("&Open..."), QKeySequence::Open,
              &W::openDocument);
    file->addSeparator();
    addAction(file, "newTab", QStringLiteral("New &Tab"), QKeySequence(QStringLiteral("Ctrl+T")),
              onTabs(&WorkspaceTabCommands::newTab));
    addAction(file, "closeTab", QStringLiteral("Close Ta&b"),
              QKeySequence(QStringLiteral("Ctrl+Shift+W")),
              onTabs(&WorkspaceTabCommands::closeTab));
    file->addSeparator();
    addAction(file, "performClose", QStringLiteral("&Close"), QKeySequence::Close, &W::closeWindow);
    addAction(file, "saveDocument", QStringLiteral("&Save"), QKeySequence::Save, &W::saveDocument);
    addAction(file, "saveDocumentAs", QStringLiteral("Save &As..."),
              QKeySequence(QStringLiteral("Ctrl+Shift+S")), &W::saveDocumentAs);
    addAction(file, "revertDocumentToSaved", QStringLiteral("&Revert to Saved"), {},
              &W::revertDocument);
    file->addSeparator();
    addAction(file, "terminate", QStringLiteral("&Quit"), QKeySequence(QStringLiteral("Ctrl+Q")),
              &W::quit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    addAction(edit, "undo", QStringLiteral("&Undo"), QKeySequence::Undo,
              onEdits(&WorkspaceEditCommands::undo));
    addAction(edit, "redo", QStringLiteral("&Redo"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
              onEdits(&WorkspaceEditCommands::redo));
    edit->addSeparator();
    addAction(edit, "cut", QStringLiteral("Cu&t"), QKeySequence::Cut,
              onEdits(&WorkspaceEditCommands::cut));
    addAction(edit, "copy", QStringLiteral("&Copy"), QKeySequence::Copy,
              onEdits(&WorkspaceEditCommands::copy));
    addAction(edit, "paste", QStringLiteral("&Paste"), QKeySequence::Paste,
              onEdits(&WorkspaceEditCommands::paste));
    // The Delete key itself reaches the window controller as a key.
    addAction(edit, "delete", QStringLiteral("&Delete"), {},
              onEdits(&WorkspaceEditCommands::deleteSelected));
    edit->addSeparator();
    addAction(edit, "renameCart", QStringLiteral("Re&name Cart..."), {}, &W::renameCart);
    addAction(edit, "changeGrid", QStringLiteral("&Grid Size..."), {}, &W::changeGrid);
    addAction(edit, "editWorkspaceSettings", QStringLiteral("Workspace &Settings..."), {},
              &W::editWorkspaceSettings);
    edit->addSeparator();
    addAction(edit, "showPreferences", QStringLiteral("Pr&eferences..."),
              QKeySequence(QStringLiteral("Ctrl+,")), &W::showPreferences);

    QMenu* controls = menuBar()->addMenu(QStringLiteral("&Controls"));
    addAction(controls, "setEditMode", QStringLiteral("&Edit Mode"),
              QKeySequence(QStringLiteral("Ctrl+E")), &W::setEditMode);
    addAction(controls, "setShowMode", QStringLiteral("&Show Mode"),
              QKeySequence(QStringLiteral("Ctrl+R")), &W::setShowMode);
    controls->addSeparator();
    addAction(controls, "pauseAll", QStringLiteral("&Pause All"), {}, &W::pauseAll);
    addAction(controls, "resumeAll", QStringLiteral("Res&ume All"), {}, &W::resumeAll);
    addAction(controls, "stopAll", QStringLiteral("S&top All"),
              QKeySequence(QStringLiteral("Ctrl+.")), &W::stopAll);
    addAction(controls, "hardStopAll", QStringLiteral("&Hard Stop All"),
              QKeySequence(QStringLiteral("Ctrl+Shift+.")), &W::hardStopAll);
    addAction(controls, "panicAll", QStringLiteral("P&anic"), {}, &W::panicAll);
    addAction(controls, "toggleDucking", QStringLiteral("&Duck Master Volume"), {},
              &W::toggleDucking);
    controls->addSeparator();
    addAction(controls, "setVolumeMax", QStringLiteral("Volume to Ma&ximum"), {}, &W::setVolumeMax);
    addAction(controls, "setVolumeMin", QStringLiteral("Volume to Mi&nimum"), {}, &W::setVolumeMin);
    controls->addSeparator();
    addAction(controls, "showLog", QStringLiteral("Show &Log"), {}, &W::showLog);

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    addAction(window, "selectNextTab", QStringLiteral("Select &Next Tab"),
              QKeySequence(QStringLiteral("Ctrl+PgDown")),
              onTabs(&WorkspaceTabCommands::selectNextTab));
    addAction(window, "selectPreviousTab", QStringLiteral("Select &Previous Tab"),
              QKeySequence(QStringLiteral("Ctrl+PgUp")),
              onTabs(&WorkspaceTabCommands::selectPreviousTab));
    window->addSeparator();
    addAction(window, "toggleInspector", QStringLiteral("Toggle &Inspector"),
              QKeySequence(QStringLiteral("Ctrl+I")), &W::toggleInspector);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    addHelpAction(help, "showAboutWindow", QStringLiteral("&About Pondra"),
                  &HelpActions::showAboutWindow);
    help->addSeparator();
    addHelpAction(help, "showDocumentation", QStringLiteral("Pondra &Help"),
                  &HelpActions::showDocumentation);
    addHelpAction(help, "showChangelog", QStringLiteral("&Change Log"),
                  &HelpActions::showChangelog);
    addHelpAction(help, "showEULA", QStringLiteral("&Licence Agreement"), &HelpActions::showEULA);
    help->addSeparator();
    addHelpAction(help, "orderFrontFeedbackWindow", QStringLiteral("Send &Feedback..."),
                  &HelpActions::orderFrontFeedbackWindow);
    addHelpAction(help, "contactSupport", QStringLiteral("Contact &Support..."),
                  &HelpActions::contactSupport);
    // Without an application there is no one to carry them out.
    for (QAction* action : help->actions()) {
        action->setEnabled(_controller.helpActions() != nullptr);
    }

    for (QMenu* menu : {file, edit, controls, window, help}) {
        connect(menu, &QMenu::aboutToShow, this, [this] { _controller.validateMenus(); });
    }
}

QAction* PondraWindow::addHelpAction(QMenu* menu, const char* name, const QString& title,
                                     void (HelpActions::*slot)()) {
    auto* action = menu->addAction(title);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, slot] {
        if (HelpActions* help = _controller.helpActions()) {
            (help->*slot)();
        }
    });
    _actions[action->objectName()] = action;
    return action;
}

QAction* PondraWindow::action(const QString& name) const {
    const auto found = _actions.find(name);
    return found == _actions.end() ? nullptr : found->second;
}

void PondraWindow::keyPressEvent(QKeyEvent* event) {
    if (!_controller.keys().keyDown(*event)) {
        QMainWindow::keyPressEvent(event);
    }
}

void PondraWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!_controller.keys().keyUp(*event)) {
        QMainWindow::keyReleaseEvent(event);
    }
}

void PondraWindow::closeEvent(QCloseEvent* event) {
    if (_controller.windowShouldClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void PondraWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    for (PondraProgressSheet* sheet :
         {static_cast<PondraProgressSheet*>(_importProgress), _saveProgress}) {
        if (sheet->isVisible()) {
            sheet->placeInWindow();
        }
    }
}
