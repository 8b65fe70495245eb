#pragma once

#include "KivUI/outline/KivOutlineView.h"

#include <QWidget>

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

class KivEffectUserPresetGroup;
class KivPrompts;
class VornButton;

// The "Manage..." sheet of the effect editor: the system and the user preset
// folders as a tree, where a preset is renamed in place (double click) or
// removed, and "+" goes on to saving a new one. Shown over the top of its
// window. A preset file is moved or removed here on the GUI thread, one
// call each; the folders are read by the groups' owner. GUI thread only.
class KivEffectPresetManageSheet final : public QWidget,
                                         private KivOutlineViewProtocol,
                                         private KivOutlineViewDelegate {
public:
    // The groups and the prompts outlive the sheet.
    KivEffectPresetManageSheet(QWidget* window, KivEffectUserPresetGroup& system,
                               KivEffectUserPresetGroup& user, KivPrompts& prompts);
    ~KivEffectPresetManageSheet() override;

    // Shows the sheet with the folders as last read, and has them read again.
    void begin();
    void end();
    // Rebuilds the table from the groups as they now are, keeping open
    // folders open by path; selects `selectPath` when it is shown. The groups'
    // owner calls it whenever it has read them again.
    void reload(const std::string& selectPath = {});

    // Reads both groups again, off the main thread, then runs `done` on it.
    // Asked for on begin() and after a rename or a removal.
    std::function<void(std::function<void()> done)> readFolders;
    // "+": the sheet has ended; the editor goes on to save a preset.
    std::function<void()> onAdd;

    // The new name must be a name, and no other preset may have it; "/"
    // becomes "_". False when refused (the user is told why).
    bool renamePreset(const std::string& path, const QString& name);
    void removeSelectedPreset();

    KivOutlineView* table() const { return _table; }
    // The outline item of a group or a preset path; nullptr when not shown.
    KivOutlineItem itemForPath(const std::string& path) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Node {
        const KivEffectUserPresetGroup* group = nullptr;
        const std::string* preset = nullptr;
    };

    int numberOfChildrenOfItem(KivOutlineView& view, KivOutlineItem item) override;
    KivOutlineItem child(KivOutlineView& view, int index, KivOutlineItem item) override;
    bool isItemExpandable(KivOutlineView& view, KivOutlineItem item) override;
    std::optional<bool> isItemExpanded(KivOutlineView& view, KivOutlineItem item) override;
    void itemDidExpand(KivOutlineView& view, KivOutlineItem item) override;
    void itemDidCollapse(KivOutlineView& view, KivOutlineItem item) override;
    void outlineViewSelectionDidChange(const Notification& notification) override;

    void readAgain(const std::string& selectPath = {});
    void indexGroup(const KivEffectUserPresetGroup& group);
    const Node* node(KivOutlineItem item) const;
    QString titleOf(KivOutlineItem item) const;
    void refuse(const QString& message, const QString& informative);
    void placeInWindow();

    KivEffectUserPresetGroup& _system;
    KivEffectUserPresetGroup& _user;
    KivPrompts& _prompts;
    KivOutlineView* _table;
    VornButton* _add;
    VornButton* _remove;
    VornButton* _done;
    std::unordered_map<KivOutlineItem, Node> _nodes;
    std::unordered_set<std::string> _expandedPaths;
};
