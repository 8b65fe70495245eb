#include "effecteditor/EffectEditor.h"

#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/services/KivPrompts.h"
#include "audio/effects/KivEffect.h"
#include "effecteditor/EffectEditorWindow.h"
#include "effecteditor/EffectGenericView.h"
#include "effecteditor/EffectPluginView.h"
#include "effecteditor/EffectPresetSaveSheet.h"
#include "effecteditor/EffectPresetsPullDown.h"
#include "effecteditor/KivEffectPresetFolders.h"
#include "effecteditor/KivEffectPresetManageSheet.h"
#include "effecteditor/QtEffectPresetExecutor.h"
#include "foundation/KivArchiveValue.h"
#include "foundation/NotificationCenter.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

EffectEditor::EffectEditor(KivEffect& effect, KivPrompts& prompts,
                           std::shared_ptr<EffectPresetExecutor> executor)
    : QWidget(nullptr, Qt::Window)
    , _effect(&effect)
    , _prompts(prompts)
    , _systemPresets(KivEffectPresetFolders::systemFolder(effect.manufacturer(), effect.name()),
                     "System Presets")
    , _userPresets(KivEffectPresetFolders::userFolder(effect.manufacturer(), effect.name()),
                   "User Presets")
    , _enabledButton(new VornCheckBox(QStringLiteral("Enabled")))
    , _presets(new EffectPresetsPullDown)
    , _channelsNotice(new QLabel(QString::fromLatin1(kKivEffectRefusedChannelsNotice)))
    , _executor(std::move(executor))
    , _saver(std::make_unique<EffectPresetSaver>(prompts, _executor)) {
    setPalette(KivColors::darkPalette(palette()));
    setAutoFillBackground(true);

    auto* strip = new QWidget(this);
    strip->setFixedHeight(kStripHeight);
    auto* stripLayout = new QHBoxLayout(strip);
    // The check box's and the pull-down's bezels line up with the view's 16-point margins.
    stripLayout->setContentsMargins(14, 0, 13, 0);
    stripLayout->addWidget(_enabledButton);
    stripLayout->addStretch();
    stripLayout->addWidget(_presets);
    _presets->setMinimumWidth(120);

    _pluginView = EffectPluginView::create(effect, this);
    QWidget* view = _pluginView;
    if (!_pluginView) {
        view = _genericView = new EffectGenericView(effect, this);
    }
    // Left-aligned with the check box's bezel, in the warning colour.
    _channelsNotice->setObjectName(QStringLiteral("channelsNotice"));
    _channelsNotice->setContentsMargins(16, 0, 16, 8);
    QPalette notice = _channelsNotice->palette();
    notice.setColor(QPalette::WindowText, KivColors::warningText());
    _channelsNotice->setPalette(notice);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(_channelsNotice);
    layout->addWidget(view);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(_enabledButton, &QCheckBox::toggled, this, [this](bool on) {
        if (_effect && on != _effect->enabled()) {
            _effect->setEnabled(on);
        }
    });
    // Any effect's bypass may have changed: read this one's again.
    _bypassObservation = NotificationCenter::defaultCenter().addObserver(
        kKivEffectBypassChangedNotification, nullptr,
        [this](const Notification&) { updateEnabled(); });

    // Parameters change on the main thread: a move off the preset renames the window.
    _parameterObservation =
        effect.parameterListeners().connect([this](std::uint32_t) { updateTitle(); });
    // The cue's chain is fitted under its source's locks: the notice follows later.
    _fitObservation = effect.fitChanged().connect([this] {
        QMetaObject::invokeMethod(
            this, [this] { updateChannelsNotice(); }, Qt::QueuedConnection);
    });

    updateEnabled();
    updateTitle();
    updateChannelsNotice();
    buildPresetsMenu();
    readPresetFolders();
}

EffectEditor::~EffectEditor() {
    detachFromEffect();
}

EffectEditor* EffectEditor::open(KivEffect& effect) {
    effect.openEditor();
    return of(effect);
}

EffectEditor* EffectEditor::of(KivEffect& effect) {
    auto* window = dynamic_cast<EffectEditorWindow*>(effect.editor());
    return window ? window->editor() : nullptr;
}

void EffectEditor::install(KivPrompts& prompts, std::shared_ptr<EffectPresetExecutor> executor) {
    if (!executor) {
        executor = std::make_shared<QtEffectPresetExecutor>();
    }
    setEffectEditorFactory([&prompts, executor](KivEffect& effect) {
        return std::make_unique<EffectEditorWindow>(effect, prompts, executor);
    });
}

QMenu* EffectEditor::presetsMenu() const {
    return _presets->menu();
}

void EffectEditor::detachFromEffect() {
    _bypassObservation.disconnect();
    _parameterObservation.disconnect();
    _fitObservation.disconnect();
    _saver.reset();
    delete _genericView;
    _genericView = nullptr;
    delete _pluginView;
    _pluginView = nullptr;
    _effect = nullptr;
}

void EffectEditor::updateTitle() {
    if (!_effect) {
        return;
    }
    const QString name = QString::fromStdString(_effect->displayName());
    const std::string preset = _effect->currentPresetName();
    setWindowTitle(preset.empty()
                       ? name
                       : QStringLiteral("%1 : %2").arg(name, QString::fromStdString(preset)));
}

void EffectEditor::updateChannelsNotice() {
    if (_effect) {
        _channelsNotice->setVisible(_effect->refusedChannels() != 0);
    }
}

void EffectEditor::updateEnabled() {
    if (_effect) {
        _enabledButton->setChecked(_effect->enabled());
    }
}

void EffectEditor::buildPresetsMenu() {
    QMenu* menu = _presets->menu();
    menu->clear();
    _submenus.clear();
    connect(menu->addAction(QStringLiteral("Load...")), &QAction::triggered, this,
            [this] { loadPreset(); });
    connect(menu->addAction(QStringLiteral("Save...")), &QAction::triggered, this,
            [this] { savePreset(); });
    QAction* manage = menu->addAction(QStringLiteral("Manage..."));
    connect(manage, &QAction::triggered, this, [this] { managePresets(); });
    menu->addSeparator();

    auto factory = std::make_unique<QMenu>(QStringLiteral("Factory"));
    for (const EffectPreset& preset :
         _effect ? _effect->factoryPresets() : std::vector<EffectPreset>{}) {
        connect(factory->addAction(QString::fromStdString(preset.name)), &QAction::triggered, this,
                [this, preset] { loadFactoryPreset(preset.number, preset.name); });
    }
    if (factory->isEmpty()) {
        factory->addAction(QStringLiteral("<none>"))->setEnabled(false);
    }
    menu->addMenu(factory.get());
    _submenus.push_back(std::move(factory));

    const auto load = [this](const std::string& path) { loadUserPreset(path); };
    for (auto [group, title] : {std::pair{&_systemPresets, "System"}, {&_userPresets, "User"}}) {
        std::unique_ptr<QMenu> submenu = group->menu(load);
        submenu->setTitle(QString::fromLatin1(title));
        menu->addMenu(submenu.get());
        _submenus.push_back(std::move(submenu));
    }
}

void EffectEditor::readPresetFolders(std::function<void()> then) {
    // The worker reads groups of its own; the main thread takes their
    // contents, so the groups shown are never read while shown.
    auto system =
        std::make_shared<KivEffectUserPresetGroup>(_systemPresets.path(), _systemPresets.name());
    auto user =
        std::make_shared<KivEffectUserPresetGroup>(_userPresets.path(), _userPresets.name());
    // Weakly: the executor's own queue holds this job, and a job that never
    // runs must not keep its executor alive.
    _executor->runInBackground([this, executor = std::weak_ptr<EffectPresetExecutor>(_executor),
                                alive = std::weak_ptr<bool>(_alive), system, user,
                                then = std::move(then)]() mutable {
        system->refresh();
        user->refresh();
        const auto owner = executor.lock();
        if (!owner) {
            return;
        }
        owner->runOnOwner([this, alive, system, user, then = std::move(then)] {
            if (!alive.lock()) {
                return;
            }
            _systemPresets.takeContents(*system);
            _userPresets.takeContents(*user);
            if (_manageSheet) {
                _manageSheet->reload();
            }
            buildPresetsMenu();
            if (then) {
                then();
            }
        });
    });
}

void EffectEditor::loadFactoryPreset(int number, const std::string& name) {
    KivError error;
    if (_effect && !_effect->setFactoryPreset(number, name, &error)) {
        alertError("The preset could not be loaded", error.informativeText);
    }
    updateTitle();
}

void EffectEditor::loadUserPreset(const std::string& path) {
    KivError error;
    if (_effect && !_effect->setUserPreset(path, &error)) {
        alertError(error.description, error.informativeText);
    }
    updateTitle();
}

void EffectEditor::loadPreset() {
    const QStringList chosen = _prompts.runOpenPanel(KivOpenPanelOptions{
        QStringLiteral("Load Preset"),
        QString::fromStdString(_userPresets.path()),
        {QStringLiteral("Presets (*.%1)").arg(KivEffectPresetFolders::kPresetExtension)},
        false,
        QString()});
    if (!chosen.isEmpty()) {
        loadUserPreset(chosen.front().toStdString());
    }
}

void EffectEditor::savePreset() {
    if (!_effect || isSavingPreset()) {
        return;
    }
    auto* sheet = new EffectPresetSaveSheet(
        _effect->currentPresetName(), _systemPresets, _userPresets,
        [this](const std::string& name, const std::string& folder, std::function<void(bool)> done) {
            savePresetAs(name, folder, [done = std::move(done)](EffectPresetSaver::Result result) {
                done(result == EffectPresetSaver::Result::Saved);
            });
        },
        this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
}

void EffectEditor::savePresetAs(const std::string& name, const std::string& folder,
                                EffectPresetSaver::Completion done) {
    if (!_effect || isSavingPreset()) {
        return;
    }
    _presets->setEnabled(false);
    _saver->save(
        name, folder,
        [this](const std::string& presetName, std::string& problem) -> std::optional<std::string> {
            // The settings carry the preset's name; the effect takes it once saved.
            const std::string previousName = _effect->currentPresetName();
            _effect->setCurrentPresetName(presetName);
            nlohmann::json stored;
            const bool storable = KivArchiveValue::toStored(_effect->settings(), stored, problem);
            _effect->setCurrentPresetName(previousName);
            if (!storable) {
                return std::nullopt;
            }
            return stored.dump(1, '\t');
        },
        [this, done = std::move(done)](EffectPresetSaver::Result result) {
            _presets->setEnabled(true);
            if (result == EffectPresetSaver::Result::Saved) {
                _effect->setCurrentPresetName(_saver->savedName());
            }
            readPresetFolders();
            updateTitle();
            if (done) {
                done(result);
            }
        });
}

void EffectEditor::managePresets() {
    if (!_manageSheet) {
        _manageSheet = new KivEffectPresetManageSheet(this, _systemPresets, _userPresets, _prompts);
        _manageSheet->readFolders = [this](std::function<void()> done) {
            readPresetFolders(std::move(done));
        };
        _manageSheet->onAdd = [this] { savePreset(); };
    }
    _manageSheet->begin();
}

void EffectEditor::alertError(const std::string& description, const std::string& informativeText) {
    _prompts.runAlert(KivAlert{QString::fromStdString(description),
                               QString::fromStdString(informativeText),
                               {QStringLiteral("OK")},
                               KivAlert::Style::Warning});
}

void EffectEditor::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (_effect) {
        // The effect hands its window back; dropping it deletes this later.
        std::unique_ptr<KivEffectEditorWindow> window = _effect->editorWillClose();
    }
}
