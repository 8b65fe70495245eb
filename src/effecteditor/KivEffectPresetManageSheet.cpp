#include "effecteditor/KivEffectPresetManageSheet.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornScrollView.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/services/KivPrompts.h"
#include "effecteditor/KivEffectPresetFolders.h"
#include "effecteditor/KivEffectPresetRowView.h"
#include "effecteditor/KivEffectUserPresetGroup.h"
#include "foundation/NotificationCenter.h"

#include <fcntl.h>
#include <stdio.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// Moves a file unless the target exists, in one step where the file system
// can; errno tells why not.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    std::error_code error;
    if (std::filesystem::exists(to, error)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

KivEffectPresetManageSheet::KivEffectPresetManageSheet(QWidget* window,
                                                       KivEffectUserPresetGroup& system,
                                                       KivEffectUserPresetGroup& user,
                                                       KivPrompts& prompts)
    : QWidget(window)
    , _system(system)
    , _user(user)
    , _prompts(prompts)
    , _table(new KivOutlineView)
    , _add(new VornButton(QStringLiteral("+"), this))
    , _remove(new VornButton(QStringLiteral("\u2212"), this))
    , _done(new VornButton(QStringLiteral("Done"), this)) {
    setObjectName(QStringLiteral("managePanel"));
    _table->setObjectName(QStringLiteral("manageTable"));
    _add->setObjectName(QStringLiteral("addPresetButton"));
    _remove->setObjectName(QStringLiteral("removePresetButton"));
    _done->setObjectName(QStringLiteral("closeManagePanel"));
    _done->setDefault(true);
    _add->setToolTip(QStringLiteral("Save a new preset"));
    _remove->setToolTip(QStringLiteral("Remove the selected preset"));
    _expandedPaths = {_system.path(), _user.path()};

    auto* title = new QLabel(QStringLiteral("Manage Presets"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setStyleSheet(QStringLiteral("color: white;"));
    auto* hint = new QLabel(QStringLiteral("Double-click a preset to rename it."), this);
    hint->setStyleSheet(QStringLiteral("color: #9a9a9a;"));
    auto* scroll = new VornScrollView(this);
    scroll->setWidget(_table);
    scroll->setFrameShape(QFrame::NoFrame);
    _table->setRowViewClass(
        KivEffectPresetRowView::rowClass([this](KivOutlineItem item) { return titleOf(item); },
                                         [this](KivOutlineItem item) {
                                             const Node* n = node(item);
                                             return n && n->preset;
                                         },
                                         [this](KivOutlineItem item, const QString& name) {
                                             if (const Node* n = node(item); n && n->preset) {
                                                 renamePreset(*n->preset, name);
                                             }
                                         }));
    _table->setAction([](KivOutlineView& table) {
        if (KivOutlineItem item = table.selectedItem()) {
            table.editItem(item, QStringLiteral("name"));
        }
    });
    _table->setDelegate(this);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(0);
    buttons->addWidget(_add);
    buttons->addWidget(_remove);
    buttons->addStretch(1);
    buttons->addWidget(_done);
    // The buttons' bezels are inset 6 points: the rest is, so the edges line up.
    auto* content = new QVBoxLayout;
    content->setContentsMargins(6, 0, 6, 0);
    content->setSpacing(8);
    content->addWidget(title);
    content->addWidget(scroll, 1);
    content->addWidget(hint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 12, 10, 12);
    layout->setSpacing(8);
    layout->addLayout(content, 1);
    layout->addLayout(buttons);

    connect(_done, &QPushButton::clicked, this, [this] { end(); });
    connect(_remove, &QPushButton::clicked, this, [this] { removeSelectedPreset(); });
    connect(_add, &QPushButton::clicked, this, [this] {
        end();
        if (onAdd) {
            onAdd();
        }
    });
    hide();
}

KivEffectPresetManageSheet::~KivEffectPresetManageSheet() {
    _table->setDelegate(nullptr);
    _table->setDataSource(nullptr);
}

void KivEffectPresetManageSheet::begin() {
    _table->setDataSource(this);
    reload();
    placeInWindow();
    show();
    raise();
    _table->setFocus();
    readAgain();
}

void KivEffectPresetManageSheet::readAgain(const std::string& selectPath) {
    if (readFolders) {
        QPointer<KivEffectPresetManageSheet> self(this);
        readFolders([self, selectPath] {
            if (self) {
                self->reload(selectPath);
            }
        });
    }
}

void KivEffectPresetManageSheet::end() {
    _table->abortEditing();
    hide();
}

void KivEffectPresetManageSheet::reload(const std::string& selectPath) {
    // The items are about to be listed anew, so nothing may stay selected.
    _table->selectItem(nullptr);
    _nodes.clear();
    indexGroup(_system);
    indexGroup(_user);
    _table->reloadDataAndResyncExpandedState();
    if (!selectPath.empty()) {
        if (KivOutlineItem item = itemForPath(selectPath)) {
            _table->expandUntilItemIsVisible(item);
            _table->selectItem(item);
        }
    }
    _remove->setEnabled(false);
    outlineViewSelectionDidChange(Notification{});
}

void KivEffectPresetManageSheet::indexGroup(const KivEffectUserPresetGroup& group) {
    _nodes[&group] = Node{&group, nullptr};
    for (std::size_t i = 0; i < group.numberOfItems(); ++i) {
        const KivEffectUserPresetGroup::Item& item = *group.itemAtIndex(i);
        if (const auto* path = std::get_if<std::string>(&item)) {
            _nodes[path] = Node{nullptr, path};
        } else {
            indexGroup(*std::get<std::unique_ptr<KivEffectUserPresetGroup>>(item));
        }
    }
}

const KivEffectPresetManageSheet::Node*
KivEffectPresetManageSheet::node(KivOutlineItem item) const {
    const auto found = _nodes.find(item);
    return found == _nodes.end() ? nullptr : &found->second;
}

KivOutlineItem KivEffectPresetManageSheet::itemForPath(const std::string& path) const {
    for (const auto& [item, n] : _nodes) {
        if ((n.preset && *n.preset == path) || (n.group && n.group->path() == path)) {
            return item;
        }
    }
    return nullptr;
}

QString KivEffectPresetManageSheet::titleOf(KivOutlineItem item) const {
    const Node* n = node(item);
    if (!n) {
        return {};
    }
    return QString::fromStdString(n->group ? n->group->name()
                                           : KivEffectPresetFolders::presetName(*n->preset));
}

int KivEffectPresetManageSheet::numberOfChildrenOfItem(KivOutlineView&, KivOutlineItem item) {
    if (!item) {
        return 2;
    }
    const Node* n = node(item);
    return n && n->group ? static_cast<int>(n->group->numberOfItems()) : 0;
}

KivOutlineItem KivEffectPresetManageSheet::child(KivOutlineView&, int index, KivOutlineItem item) {
    if (!item) {
        return index == 0 ? &_system : &_user;
    }
    const KivEffectUserPresetGroup::Item& found =
        *node(item)->group->itemAtIndex(static_cast<std::size_t>(index));
    if (const auto* path = std::get_if<std::string>(&found)) {
        return path;
    }
    return std::get<std::unique_ptr<KivEffectUserPresetGroup>>(found).get();
}

bool KivEffectPresetManageSheet::isItemExpandable(KivOutlineView&, KivOutlineItem item) {
    const Node* n = node(item);
    return n && n->group;
}

std::optional<bool> KivEffectPresetManageSheet::isItemExpanded(KivOutlineView&,
                                                               KivOutlineItem item) {
    const Node* n = node(item);
    return n && n->group && _expandedPaths.contains(n->group->path());
}

void KivEffectPresetManageSheet::itemDidExpand(KivOutlineView&, KivOutlineItem item) {
    if (const Node* n = node(item); n && n->group) {
        _expandedPaths.insert(n->group->path());
    }
}

void KivEffectPresetManageSheet::itemDidCollapse(KivOutlineView&, KivOutlineItem item) {
    if (const Node* n = node(item); n && n->group) {
        _expandedPaths.erase(n->group->path());
    }
}

void KivEffectPresetManageSheet::outlineViewSelectionDidChange(const Notification&) {
    const Node* n = node(_table->selectedItem());
    _remove->setEnabled(n && n->preset);
}

bool KivEffectPresetManageSheet::renamePreset(const std::string& path, const QString& name) {
    const std::string newName = KivEffectPresetFolders::fileSafeName(name.trimmed().toStdString());
    if (newName.empty()) {
        refuse(QStringLiteral("A preset needs a name."),
               QStringLiteral("The preset keeps its name. Type at least one character."));
        return false;
    }
    if (newName == KivEffectPresetFolders::presetName(path)) {
        return true;
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::string target = KivEffectPresetFolders::presetPath(folder, newName);
    if (!moveWithoutReplacing(path, target)) {
        if (errno == EEXIST) {
            refuse(QStringLiteral("A preset named \u201C%1\u201D already exists.")
                       .arg(QString::fromStdString(newName)),
                   QStringLiteral("Both presets are kept. Choose another name."));
        } else {
            refuse(QStringLiteral("The preset could not be renamed."),
                   QString::fromLocal8Bit(std::strerror(errno)));
        }
        return false;
    }
    readAgain(target);
    return true;
}

void KivEffectPresetManageSheet::removeSelectedPreset() {
    const Node* n = node(_table->selectedItem());
    if (!n || !n->preset) {
        return;
    }
    std::error_code error;
    if (!std::filesystem::remove(*n->preset, error) && error) {
        refuse(QStringLiteral("The preset could not be removed."),
               QString::fromStdString(error.message()));
    }
    readAgain();
}

void KivEffectPresetManageSheet::refuse(const QString& message, const QString& informative) {
    _prompts.runAlert(KivAlert{message, informative, {QStringLiteral("OK")}});
}

void KivEffectPresetManageSheet::placeInWindow() {
    const QWidget* window = parentWidget();
    const int w = std::min(380, window->width() - 40);
    const int h = std::min(340, window->height() - 20);
    setGeometry((window->width() - w) / 2, 0, w, h);
}

void KivEffectPresetManageSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), KivColors::inspectorTop());
    painter.setPen(KivColors::lineDark());
    painter.drawRect(rect().adjusted(0, -1, -1, -1));
}
