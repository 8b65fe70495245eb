#include "window/inspector/CueEffectsList.h"

#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/outline/KivTableView.h"
#include "audio/effects/KivEffect.h"
#include "model/AudioCue.h"
#include "window/inspector/CueEditHistory.h"
#include "window/inspector/CueEffectRowDelegate.h"
#include "window/inspector/CueEffectsModel.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/CueInspectorOutlets.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QMenu>

using CueInspectorOutlets::fieldLabel;
using CueInspectorOutlets::outlet;

namespace {

constexpr int kEffectsWidth = 210;

} // namespace

CueEffectsList::CueEffectsList(CueInspectorController& inspector, QBoxLayout& columns)
    : _inspector(inspector) {
    QWidget* parent = &inspector;
    auto* effects = new QVBoxLayout;
    effects->setSpacing(6);
    _effectsModel = new CueEffectsModel(
        [this](std::size_t from, std::size_t to) { moveEffect(from, to); }, parent);
    _effectsTable = outlet(new KivTableView(parent), "effectsTable");
    _effectsTable->setFixedWidth(kEffectsWidth);
    _effectsTable->setModel(_effectsModel);
    _effectsTable->horizontalHeader()->hide();
    _effectsTable->horizontalHeader()->setStretchLastSection(true);
    _effectsTable->verticalHeader()->hide();
    _effectsTable->verticalHeader()->setDefaultSectionSize(20);
    // A row that tells why its effect is left out is two lines tall.
    _effectsTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    _effectsTable->setItemDelegate(new CueEffectRowDelegate(20, _effectsTable));
    _effectsTable->setShowGrid(false);
    _effectsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    _effectsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    _effectsTable->setDragDropMode(QAbstractItemView::DragDrop);
    _effectsTable->setDefaultDropAction(Qt::MoveAction);
    _effectsTable->setDragDropOverwriteMode(false);
    _effectsTable->setDropIndicatorShown(true);
    _effectsTable->installEventFilter(parent);
    QObject::connect(_effectsTable, &QAbstractItemView::doubleClicked, parent,
                     [this](const QModelIndex& index) { didDoubleClickTable(index.row()); });
    effects->addWidget(fieldLabel(QStringLiteral("Effects"), parent));
    effects->addWidget(_effectsTable, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    _effectsButton =
        outlet(new PondraMenuButton(QStringLiteral("Add effect..."), parent), "effectsButton");
    _effectsButton->setControlSize(KivControlSize::Small);
    _effectsButton->setFocusPolicy(Qt::NoFocus);
    _removeEffectButton =
        outlet(new VornButton(QStringLiteral("Remove"), parent), "removeEffectButton");
    _removeEffectButton->setControlSize(KivControlSize::Small);
    _removeEffectButton->setFocusPolicy(Qt::NoFocus);
    QObject::connect(_removeEffectButton, &QAbstractButton::clicked, parent,
                     [this] { removeEffect(); });
    buttons->addWidget(_effectsButton, 1);
    buttons->addWidget(_removeEffectButton);
    effects->addLayout(buttons);
    columns.addLayout(effects);
    buildEffectsMenu();
}

void CueEffectsList::buildEffectsMenu() {
    _effectsMenu = new QMenu(&_inspector);
    _effectsMenu->setObjectName(QStringLiteral("effectsMenu"));
    _effectsButton->setPopUpMenu(_effectsMenu);
    const std::optional<KivEffectMenu> menu = menuOfAllEffectsByManufacturer(&_effects);
    if (!menu || menu->submenus.empty()) {
        _effectsMenu->addAction(QStringLiteral("No effects installed"))->setEnabled(false);
        return;
    }
    for (const KivEffectMenu::Submenu& maker : menu->submenus) {
        QMenu* submenu = _effectsMenu->addMenu(QString::fromStdString(maker.title));
        for (const KivEffectMenu::Item& item : maker.items) {
            QAction* action = submenu->addAction(QString::fromStdString(item.title));
            QObject::connect(action, &QAction::triggered, &_inspector,
                             [this, effect = item.effect] { addEffect(effect); });
        }
    }
}

void CueEffectsList::enableControls(bool enabled) {
    _effectsButton->setEnabled(enabled);
    _removeEffectButton->setEnabled(enabled);
}

void CueEffectsList::setCue(const std::shared_ptr<AudioCue>& cue) {
    _effectsModel->setCue(cue);
}

void CueEffectsList::reload() {
    _effectsModel->reload();
}

void CueEffectsList::setEffectEditorOpener(std::function<void(KivEffect&)> opener) {
    _effectEditorOpener = std::move(opener);
}

void CueEffectsList::openEffectEditor(KivEffect& effect) {
    if (_effectEditorOpener) {
        _effectEditorOpener(effect);
    } else {
        effect.openEditor();
    }
}

void CueEffectsList::addEffect(const std::shared_ptr<KivEffect>& menuEffect) {
    const std::shared_ptr<AudioCue>& cue = _inspector.cue();
    if (!cue || !menuEffect) {
        return;
    }
    std::shared_ptr<KivEffect> effect = menuEffect->copy();
    if (!effect) {
        return;
    }
    cue->addEffect(effect);
    CueEditHistory::registerChange(
        _inspector.undoManager(), cue, [effect](AudioCue& c) { c.removeEffect(effect); },
        [effect](AudioCue& c) { c.addEffect(effect); }, "Add Effect");
    openEffectEditor(*effect);
}

void CueEffectsList::removeEffect() {
    const std::shared_ptr<AudioCue>& cue = _inspector.cue();
    if (!cue || cue->effects().empty()) {
        return;
    }
    const QModelIndex selected = _effectsTable->currentIndex();
    const int row = selected.isValid() && _effectsTable->selectionModel()->isSelected(selected)
                        ? selected.row()
                        : -1;
    if (row < 0 || row >= static_cast<int>(cue->effects().size())) {
        return;
    }
    const auto index = static_cast<std::size_t>(row);
    const std::shared_ptr<KivEffect> effect = cue->effects()[index];
    effect->closeEditor();
    // Back where it was: the order of the chain is the sound.
    CueEditHistory::registerChange(
        _inspector.undoManager(), cue,
        [effect, index](AudioCue& c) { c.insertEffect(effect, index); },
        [effect](AudioCue& c) { c.removeEffect(effect); }, "Remove Effect");
    cue->removeEffect(effect);
    _effectsModel->reload();
}

void CueEffectsList::moveEffect(std::size_t from, std::size_t to) {
    if (const std::shared_ptr<AudioCue>& cue = _inspector.cue()) {
        cue->moveEffectAtIndex(from, to);
        _effectsModel->reload();
    }
}

void CueEffectsList::didDoubleClickTable(int row) {
    const std::shared_ptr<AudioCue>& cue = _inspector.cue();
    if (cue && row >= 0 && row < static_cast<int>(cue->effects().size())) {
        openEffectEditor(*cue->effects()[static_cast<std::size_t>(row)]);
    }
}
