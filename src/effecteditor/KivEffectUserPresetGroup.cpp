#include "effecteditor/KivEffectUserPresetGroup.h"

#include "effecteditor/KivEffectPresetFolders.h"

#include <sys/stat.h>

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

KivEffectUserPresetGroup::KivEffectUserPresetGroup(std::string path, std::string name)
    : _path(std::move(path))
    , _name(std::move(name)) {}

// What one refresh has seen: the folders read, by device and inode, and the
// entries looked at; the tree's own folder with its links resolved.
struct KivEffectUserPresetGroup::Walk {
    std::filesystem::path root;
    std::set<std::pair<dev_t, ino_t>> folders;
    std::size_t entries = 0;
};

namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& root) {
    const auto [end, rest] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return end == root.end();
}

} // namespace

void KivEffectUserPresetGroup::refresh() {
    Walk walk;
    std::error_code error;
    walk.root = std::filesystem::canonical(_path, error);
    _contents.clear();
    if (!error) {
        refresh(walk, 0);
    }
}

void KivEffectUserPresetGroup::takeContents(KivEffectUserPresetGroup& read) {
    _contents = std::move(read._contents);
    read._contents.clear();
}

void KivEffectUserPresetGroup::refresh(Walk& walk, int depth) {
    _contents.clear();
    struct stat folder {};
    if (::stat(_path.c_str(), &folder) != 0 ||
        !walk.folders.insert({folder.st_dev, folder.st_ino}).second) {
        return;
    }
    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator it(_path, error), end;
         !error && it != end && walk.entries < kEntryLimit; it.increment(error)) {
        ++walk.entries;
        entries.push_back(it->path());
    }
    // The listing order is the file system's; a menu wants names in order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
    const std::string extension = std::string(".") + KivEffectPresetFolders::kPresetExtension;
    for (const std::filesystem::path& entry : entries) {
        if (std::filesystem::is_symlink(entry, error)) {
            const std::filesystem::path target = std::filesystem::canonical(entry, error);
            if (error || !isInside(target, walk.root)) {
                continue;
            }
        }
        if (entry.extension() == extension) {
            _contents.emplace_back(entry.string());
        } else if (depth < kDepthLimit && std::filesystem::is_directory(entry, error)) {
            auto group = std::make_unique<KivEffectUserPresetGroup>(entry.string(),
                                                                    entry.filename().string());
            group->refresh(walk, depth + 1);
            if (group->hasItems()) {
                _contents.emplace_back(std::move(group));
            }
        }
    }
}

const KivEffectUserPresetGroup::Item*
KivEffectUserPresetGroup::itemAtIndex(std::size_t index) const {
    return index < _contents.size() ? &_contents[index] : nullptr;
}

std::unique_ptr<QMenu> KivEffectUserPresetGroup::menu(const LoadAction& load,
                                                      QWidget* parent) const {
    auto menu = std::make_unique<QMenu>(parent);
    addItemsToMenu(*menu, load);
    if (menu->isEmpty()) {
        menu->addAction(QStringLiteral("<none>"))->setEnabled(false);
    }
    return menu;
}

void KivEffectUserPresetGroup::addItemsToMenu(QMenu& menu, const LoadAction& load) const {
    for (const Item& item : _contents) {
        if (const auto* path = std::get_if<std::string>(&item)) {
            QAction* action =
                menu.addAction(QString::fromStdString(KivEffectPresetFolders::presetName(*path)));
            action->setData(QString::fromStdString(*path));
            QObject::connect(action, &QAction::triggered, action,
                             [load, chosen = *path] { load(chosen); });
        } else {
            const auto& group = std::get<std::unique_ptr<KivEffectUserPresetGroup>>(item);
            group->addItemsToMenu(*menu.addMenu(QString::fromStdString(group->name())), load);
        }
    }
}

std::vector<KivEffectUserPresetGroup::Row> KivEffectUserPresetGroup::groupRows(int indent) const {
    std::vector<Row> rows{Row{this, indent}};
    for (const Item& item : _contents) {
        if (const auto* group = std::get_if<std::unique_ptr<KivEffectUserPresetGroup>>(&item)) {
            std::vector<Row> below = (*group)->groupRows(indent + 1);
            rows.insert(rows.end(), below.begin(), below.end());
        }
    }
    return rows;
}
