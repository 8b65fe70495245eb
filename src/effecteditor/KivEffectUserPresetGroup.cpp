#include "effecteditor/KivEffectUserPresetGroup.h"

#include "effecteditor/KivEffectPresetFolders.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <filesystem>
#include <system_error>

KivEffectUserPresetGroup::KivEffectUserPresetGroup(std::string path, std::string name)
    : _path(std::move(path))
    , _name(std::move(name)) {}

void KivEffectUserPresetGroup::refresh() {
    _contents.clear();
    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator it(_path, error), end; !error && it != end;
         it.increment(error)) {
        entries.push_back(it->path());
    }
    // The listing order is the file system's; a menu wants names in order.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
    const std::string extension = std::string(".") + KivEffectPresetFolders::kPresetExtension;
    for (const std::filesystem::path& entry : entries) {
        if (entry.extension() == extension) {
            _contents.emplace_back(entry.string());
        } else if (std::filesystem::is_directory(entry, error)) {
            auto group = std::make_unique<KivEffectUserPresetGroup>(entry.string(),
                                                                    entry.filename().string());
            group->refresh();
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
