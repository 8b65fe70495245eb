#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class QMenu;
class QWidget;

// One preset folder as a tree: its preset files and the subfolders that hold
// a preset somewhere below them, each sorted by name. Read again by refresh();
// nothing is read until then. The walk is bounded: no folder is read twice
// (links back up a tree are not followed again), no link is followed out of
// the folder, it goes at most kDepthLimit folders deep and looks at no more
// than kEntryLimit entries. A group is used on one thread at a time: read on
// a worker, then handed to the main thread (takeContents), which shows it.
class KivEffectUserPresetGroup {
public:
    // A preset file's full path, or a subfolder.
    using Item = std::variant<std::string, std::unique_ptr<KivEffectUserPresetGroup>>;
    // A group and its depth below the group asked, for a list of targets.
    struct Row {
        const KivEffectUserPresetGroup* group = nullptr;
        int indent = 0;
    };
    // Called with the chosen preset's path.
    using LoadAction = std::function<void(const std::string& path)>;

    static constexpr int kDepthLimit = 16;
    static constexpr std::size_t kEntryLimit = 2000;

    KivEffectUserPresetGroup(std::string path, std::string name);
    KivEffectUserPresetGroup(const KivEffectUserPresetGroup&) = delete;
    KivEffectUserPresetGroup& operator=(const KivEffectUserPresetGroup&) = delete;

    const std::string& path() const { return _path; }
    const std::string& name() const { return _name; }
    void setName(std::string name) { _name = std::move(name); }

    // Lists the folder again; a missing or unreadable folder gives no items.
    void refresh();
    // The items `read` holds (a group of the same folder refreshed elsewhere)
    // become this group's; `read` is left empty.
    void takeContents(KivEffectUserPresetGroup& read);
    // After refresh() every subgroup held has items, so: any item at all.
    bool hasItems() const { return !_contents.empty(); }
    std::size_t numberOfItems() const { return _contents.size(); }
    // nullptr at or beyond the count.
    const Item* itemAtIndex(std::size_t index) const;

    // A menu of the tree: presets titled by name, subfolders as submenus;
    // every preset at every depth calls `load`. Empty: one disabled "<none>".
    std::unique_ptr<QMenu> menu(const LoadAction& load, QWidget* parent = nullptr) const;
    // This group, then its subgroups depth first, each one deeper.
    std::vector<Row> groupRows(int indent = 0) const;

private:
    struct Walk;
    void refresh(Walk& walk, int depth);
    void addItemsToMenu(QMenu& menu, const LoadAction& load) const;

    std::string _path;
    std::string _name;
    std::vector<Item> _contents;
};
