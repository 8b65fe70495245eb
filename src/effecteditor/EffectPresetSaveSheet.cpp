#include "effecteditor/EffectPresetSaveSheet.h"

#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/drawing/KivColors.h"
#include "effecteditor/KivEffectUserPresetGroup.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

EffectPresetSaveSheet::EffectPresetSaveSheet(const std::string& name,
                                             const KivEffectUserPresetGroup& system,
                                             const KivEffectUserPresetGroup& user, SaveAction save,
                                             QWidget* parent)
    : QDialog(parent, Qt::Sheet)
    , _name(new VornTextField(QString::fromStdString(name), this))
    , _folders(new VornPopUpButton(this))
    , _saveButton(new VornButton(QStringLiteral("Save"), this))
    , _save(std::move(save)) {
    setWindowTitle(QStringLiteral("Save Preset"));
    _name->setObjectName(QStringLiteral("nameField"));
    _folders->setObjectName(QStringLiteral("folderPopUp"));
    _saveButton->setObjectName(QStringLiteral("saveButton"));
    setWindowModality(Qt::WindowModal);
    setPalette(KivColors::darkPalette(palette()));
    setAutoFillBackground(true);

    int userIndex = 0;
    for (const KivEffectUserPresetGroup* root : {&system, &user}) {
        if (root == &user) {
            userIndex = _folders->count();
        }
        for (const auto& row : root->groupRows()) {
            _folders->addItem(QString(row.indent * 3, QLatin1Char(' ')) +
                                  QString::fromStdString(row.group->name()),
                              QString::fromStdString(row.group->path()));
        }
    }
    // The system folder is normally read-only: a user's presets go to their own.
    _folders->setCurrentIndex(userIndex);

    auto* cancel = new VornButton(QStringLiteral("Cancel"), this);
    _saveButton->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(_saveButton, &QPushButton::clicked, this, [this] { this->save(); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), _name);
    form->addRow(QStringLiteral("Save in:"), _folders);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(_saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

std::string EffectPresetSaveSheet::chosenFolder() const {
    return _folders->currentData().toString().toStdString();
}

void EffectPresetSaveSheet::save() {
    _saveButton->setEnabled(false);
    // Cancel may close the sheet while the save runs.
    _save(_name->text().toStdString(), chosenFolder(), [sheet = QPointer(this)](bool mayClose) {
        if (!sheet) {
            return;
        }
        sheet->_saveButton->setEnabled(true);
        if (mayClose) {
            sheet->accept();
        }
    });
}
