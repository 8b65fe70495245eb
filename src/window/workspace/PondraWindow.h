#pragma once

#include <QMainWindow>

#include <functional>
#include <map>

class CartTabBar;
class HelpActions;
class ImageButton;
class PondraAudioLevelView;
class ImportProgressSheet;
class PondraProgressSheet;
class QAction;
class QButtonGroup;
class VornButton;
class VornPopUpButton;
class VornSlider;
class VornSplitView;
class WorkspaceController;

// The workspace window and its "Workspace" layout, built in code: the cart
// tabs above a bottom bar of the mode switch, the transport buttons, the
// master volume and the output pop-up; and the main menu. Every outlet's
// object name is its outlet name; every menu action's object name is its
// action's name. Keys and the close request go to the window controller.
class PondraWindow final : public QMainWindow {
public:
    static constexpr int kBottomBarHeight = 63;
    // Mode buttons' ids in the mode group.
    static constexpr int kEditMode = 0;
    static constexpr int kShowMode = 1;
    static constexpr int kInspectorHeight = 200;
    static constexpr int kMinimumGridHeight = 200;
    static constexpr int kMinimumInspectorHeight = 170;

    explicit PondraWindow(WorkspaceController& controller);
    ~PondraWindow() override;

    CartTabBar* tabs() const { return _tabs; }
    // The grid's tabs above the inspector pane.
    VornSplitView* splitView() const { return _splitView; }
    QWidget* inspectorPane() const { return _inspectorPane; }
    QButtonGroup* modeButton() const { return _mode; }
    ImageButton* pauseAllButton() const { return _pauseAll; }
    ImageButton* duckingButton() const { return _ducking; }
    // Hidden while the workspace has no warnings.
    VornButton* warningButton() const { return _warning; }
    VornSlider* volumeSlider() const { return _volume; }
    VornPopUpButton* outputs() const { return _outputs; }
    PondraAudioLevelView* audioLevel() const { return _audioLevel; }
    ImportProgressSheet* importProgress() const { return _importProgress; }
    PondraProgressSheet* saveProgress() const { return _saveProgress; }
    // The menu action of that name ("undo", "saveDocument", ...); null when none.
    QAction* action(const QString& name) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout();
    QWidget* buildBottomBar(QWidget* parent);
    void buildMenus();
    QAction* addAction(QMenu* menu, const char* name, const QString& title,
                       const QKeySequence& shortcut,
                       std::function<void(WorkspaceController&)> command);
    QAction* addHelpAction(QMenu* menu, const char* name, const QString& title,
                           void (HelpActions::*slot)());

    WorkspaceController& _controller;
    CartTabBar* _tabs = nullptr;
    VornSplitView* _splitView = nullptr;
    QWidget* _inspectorPane = nullptr;
    QButtonGroup* _mode = nullptr;
    ImageButton* _pauseAll = nullptr;
    ImageButton* _ducking = nullptr;
    VornButton* _panic = nullptr;
    VornButton* _warning = nullptr;
    VornSlider* _volume = nullptr;
    VornPopUpButton* _outputs = nullptr;
    PondraAudioLevelView* _audioLevel = nullptr;
    QWidget* _buttonsContainer = nullptr;
    QWidget* _volumeContainer = nullptr;
    ImportProgressSheet* _importProgress = nullptr;
    PondraProgressSheet* _saveProgress = nullptr;
    std::map<QString, QAction*> _actions;
};
