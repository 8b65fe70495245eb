#include "KivUI/KivQtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <memory>
#include <vector>

namespace {

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
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, done = std::move(done)] {
        if (done) {
            done(indexOf(*buttons, box->clickedButton()));
        }
    });
    box->open();
}

void KivQtPrompts::beep() {
    QApplication::beep();
}

QStringList KivQtPrompts::runOpenPanel(const KivOpenPanelOptions& options) {
    QFileDialog dialog(nullptr, options.title, options.directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (options.choosesDirectories) {
        dialog.setFileMode(QFileDialog::Directory);
    } else {
        dialog.setFileMode(options.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                           : QFileDialog::ExistingFile);
    }
    if (!options.nameFilters.isEmpty()) {
        dialog.setNameFilters(options.nameFilters);
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString KivQtPrompts::runSavePanel(const KivSavePanelOptions& options) {
    QFileDialog dialog(nullptr, options.title, options.directory);
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
