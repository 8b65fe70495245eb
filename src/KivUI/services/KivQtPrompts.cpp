#include "KivUI/services/KivQtPrompts.h"

#include "KivUI/drawing/KivColors.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <memory>
#include <vector>

namespace {

// A sheet's box is known by its name; an ended one carries the answer given.
constexpr const char* kSheetName = "KivSheet";
constexpr const char* kEndedAnswer = "kivEndedAnswer";

QMessageBox::Icon iconOf(KivAlert::Style style) {
    switch (style) {
    case KivAlert::Style::Informational:
        return QMessageBox::Information;
    case KivAlert::Style::Critical:
        return QMessageBox::Critical;
    case KivAlert::Style::Warning:
        break;
    }
    return QMessageBox::Warning;
}

// A message box whose buttons stand in the alert's order; the first is the
// default and, when alone, also the escape button.
QMessageBox* makeBox(QWidget* parent, const KivAlert& alert,
                     std::vector<QAbstractButton*>& buttons) {
    auto* box = new QMessageBox(parent);
    box->setIcon(iconOf(alert.style));
    box->setText(alert.messageText);
    box->setInformativeText(alert.informativeText);
    const QStringList titles =
        alert.buttons.isEmpty() ? QStringList{QObject::tr("OK")} : alert.buttons;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const auto role = i == 0
                              ? QMessageBox::AcceptRole
                              : (i == 1 ? QMessageBox::RejectRole : QMessageBox::DestructiveRole);
        buttons.push_back(box->addButton(titles[i], role));
    }
    box->setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    if (buttons.size() == 1) {
        box->setEscapeButton(buttons.front());
    }
    return box;
}

// Qt's own file panel in the dark windows' colours (a desktop's native one
// would neither take them nor know packages). A folder ending in the package
// extension is picked, as a file is, when it is opened or chosen.
class PanelDialog : public QFileDialog {
public:
    PanelDialog(const QString& title, const QString& directory,
                const QString& packageExtension = QString())
        : QFileDialog(nullptr, title, directory)
        , _packageExtension(packageExtension) {
        setOption(QFileDialog::DontUseNativeDialog);
        setPalette(KivColors::darkDialogPalette(palette()));
        if (!_packageExtension.isEmpty()) {
            // A double click enters a folder without asking accept().
            connect(this, &QFileDialog::directoryEntered, this, [this](const QString& folder) {
                if (isPackage(folder)) {
                    choose(folder);
                }
            });
        }
    }

    // The package picked, or empty when files were.
    const QString& package() const { return _package; }

protected:
    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && isPackage(chosen.front())) {
            choose(chosen.front());
            return;
        }
        QFileDialog::accept();
    }

private:
    bool isPackage(const QString& path) const {
        const QFileInfo info(QDir::cleanPath(path));
        return !_packageExtension.isEmpty() && info.isDir() &&
               info.fileName().endsWith(_packageExtension) && info.fileName() != _packageExtension;
    }
    void choose(const QString& package) {
        _package = QDir::cleanPath(package);
        QDialog::accept();
    }

    const QString _packageExtension;
    QString _package;
};

int indexOf(const std::vector<QAbstractButton*>& buttons, QAbstractButton* clicked) {
    for (size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i] == clicked) {
            return static_cast<int>(i);
        }
    }
    return buttons.size() > 1 ? 1 : 0;
}

} // namespace

int KivQtPrompts::runAlert(const KivAlert& alert) {
    std::vector<QAbstractButton*> buttons;
    std::unique_ptr<QMessageBox> box(makeBox(nullptr, alert, buttons));
    box->exec();
    return indexOf(buttons, box->clickedButton());
}

void KivQtPrompts::beginSheet(QWidget* window, const KivAlert& alert,
                              std::function<void(int)> done) {
    auto buttons = std::make_shared<std::vector<QAbstractButton*>>();
    QMessageBox* box = makeBox(window, alert, *buttons);
    box->setObjectName(QString::fromLatin1(kSheetName));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, done = std::move(done)] {
        if (done) {
            const QVariant ended = box->property(kEndedAnswer);
            done(ended.isValid() ? ended.toInt() : indexOf(*buttons, box->clickedButton()));
        }
    });
    box->open();
}

void KivQtPrompts::endSheet(QWidget* window, int answer) {
    if (!window) {
        return;
    }
    for (QMessageBox* box : window->findChildren<QMessageBox*>(QString::fromLatin1(kSheetName),
                                                               Qt::FindDirectChildrenOnly)) {
        if (box->isVisible() && !box->property(kEndedAnswer).isValid()) {
            box->setProperty(kEndedAnswer, answer);
            box->done(QDialog::Accepted);
        }
    }
}

void KivQtPrompts::beep() {
    QApplication::beep();
}

QStringList KivQtPrompts::runOpenPanel(const KivOpenPanelOptions& options) {
    PanelDialog dialog(options.title, options.directory, options.packageExtension);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                       : QFileDialog::ExistingFile);
    if (!options.nameFilters.isEmpty()) {
        dialog.setNameFilters(options.nameFilters);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.package().isEmpty() ? dialog.selectedFiles() : QStringList{dialog.package()};
}

QString KivQtPrompts::runSavePanel(const KivSavePanelOptions& options) {
    PanelDialog dialog(options.title, options.directory);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!options.fileName.isEmpty()) {
        dialog.selectFile(options.fileName);
    }
    if (!options.nameFilters.isEmpty()) {
        dialog.setNameFilters(options.nameFilters);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}
