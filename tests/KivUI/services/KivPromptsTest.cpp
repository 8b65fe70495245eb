#include "KivUI/drawing/KivColors.h"
#include "KivUI/services/KivQtPrompts.h"
#include "support/Gallery.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace {

QMessageBox* openMessageBox(QWidget& window) {
    for (QObject* child : window.children()) {
        if (auto* box = qobject_cast<QMessageBox*>(child)) {
            return box;
        }
    }
    return nullptr;
}

// Runs `step` on the file panel once it shows; the panel's own modal loop
// runs meanwhile.
void onPanel(std::function<void(QFileDialog&)> step) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, step = std::move(step)] {
        if (auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            step(*panel);
        }
    });
    poll->start(10);
}

// Types a name into the panel's file name field and presses its default button.
void typeAndOpen(QFileDialog& panel, const QString& name) {
    auto* field = panel.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    field->setText(name);
    QMetaObject::invokeMethod(&panel, "accept");
}

// A folder with a package "Show.pondra" (its archive inside), a plain
// folder and a text file.
class FilePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Show.pondra/Media")));
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Plain")));
        for (const char* name : {"Show.pondra/document", "notes.txt"}) {
            QFile file(path(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("{}");
        }
    }
    QString path(const QString& name) const { return folder.path() + QLatin1Char('/') + name; }
    KivOpenPanelOptions workspacePanel() const {
        return {.title = QStringLiteral("Open Workspace"),
                .directory = folder.path(),
                .nameFilters = {QStringLiteral("Workspaces (*.pondra document)")},
                .allowsMultipleSelection = false,
                .packageExtension = QStringLiteral(".pondra")};
    }

    QTemporaryDir folder;
    KivQtPrompts prompts;
};

} // namespace

TEST_F(FilePanelTest, APackageFolderIsPickedWholeWhenOpenedByNameOrByADoubleClick) {
    onPanel([](QFileDialog& panel) {
        EXPECT_TRUE(panel.testOption(QFileDialog::DontUseNativeDialog));
        typeAndOpen(panel, QStringLiteral("Show.pondra/"));
    });
    EXPECT_EQ(prompts.runOpenPanel(workspacePanel()), QStringList{path("Show.pondra")});

    onPanel([](QFileDialog& panel) {
        auto* list = panel.findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(list, nullptr);
        // The folder's entries arrive from the model's own thread.
        QModelIndex package;
        for (int tries = 0; tries < 200 && !package.isValid(); ++tries) {
            QTest::qWait(10);
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                const QModelIndex entry = list->model()->index(row, 0, list->rootIndex());
                if (entry.data().toString() == QStringLiteral("Show.pondra")) {
                    package = entry;
                }
            }
        }
        ASSERT_TRUE(package.isValid());
        const QPoint centre = list->visualRect(package).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    });
    EXPECT_EQ(prompts.runOpenPanel(workspacePanel()), QStringList{path("Show.pondra")});
}

TEST_F(FilePanelTest, TheArchiveInsideAPackageIsPickedAsAFileAndAPlainFolderIsEntered) {
    onPanel([](QFileDialog& panel) { typeAndOpen(panel, QStringLiteral("Show.pondra/document")); });
    EXPECT_EQ(prompts.runOpenPanel(workspacePanel()), QStringList{path("Show.pondra/document")});

    bool stillOpen = false;
    onPanel([&](QFileDialog& panel) {
        typeAndOpen(panel, QStringLiteral("Plain"));
        stillOpen = panel.isVisible();
        EXPECT_EQ(QDir(panel.directory()).dirName(), QStringLiteral("Plain"));
        panel.reject();
    });
    EXPECT_TRUE(prompts.runOpenPanel(workspacePanel()).isEmpty());
    EXPECT_TRUE(stillOpen) << "a plain folder ended the panel";

    // Without a package extension a package is a folder like any other.
    KivOpenPanelOptions files = workspacePanel();
    files.packageExtension.clear();
    onPanel([&](QFileDialog& panel) {
        typeAndOpen(panel, QStringLiteral("Show.pondra"));
        stillOpen = panel.isVisible();
        panel.reject();
    });
    EXPECT_TRUE(prompts.runOpenPanel(files).isEmpty());
    EXPECT_TRUE(stillOpen);
}

TEST_F(FilePanelTest, BothPanelsWearTheDarkWindowsColours) {
    const auto expectDark = [](QFileDialog& panel) {
        const QPalette colours = panel.palette();
        EXPECT_EQ(colours.color(QPalette::Window), KivColors::windowBackground());
        EXPECT_EQ(colours.color(QPalette::Base), KivColors::textFieldBody(false));
        EXPECT_EQ(colours.color(QPalette::Text), KivColors::textFieldText());
        EXPECT_EQ(colours.color(QPalette::ButtonText), KivColors::textFieldText());
        // Each view and field inside takes them.
        auto* list = panel.findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->palette().color(QPalette::Base), KivColors::textFieldBody(false));
    };
    onPanel([&](QFileDialog& panel) {
        expectDark(panel);
        panel.resize(640, 400);
        QTest::qWait(200);
        saveToGallery(panel, QStringLiteral("OpenPanel"));
        panel.reject();
    });
    prompts.runOpenPanel(workspacePanel());

    onPanel([&](QFileDialog& panel) {
        expectDark(panel);
        panel.reject();
    });
    EXPECT_TRUE(prompts
                    .runSavePanel({QStringLiteral("Save Workspace"),
                                   folder.path(),
                                   QStringLiteral("Untitled.pondra"),
                                   {}})
                    .isEmpty());
}

TEST(KivPromptsTest, ASheetIsAWindowModalBoxWithTheAlertsButtonsInOrder) {
    QWidget window;
    window.show();
    KivQtPrompts prompts;
    int answer = -1;
    prompts.beginSheet(
        &window,
        {QStringLiteral("Do you want to save the changes?"),
         QStringLiteral("Your changes will be lost if you don't save them."),
         {QStringLiteral("Save"), QStringLiteral("Cancel"), QStringLiteral("Don't Save")}},
        [&](int chosen) { answer = chosen; });
    QMessageBox* box = openMessageBox(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->text(), QStringLiteral("Do you want to save the changes?"));
    ASSERT_EQ(box->buttons().size(), 3);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Save"));
    EXPECT_EQ(answer, -1);
    QAbstractButton* dontSave = nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == QStringLiteral("Don't Save")) {
            dontSave = button;
        }
    }
    ASSERT_NE(dontSave, nullptr);
    dontSave->click();
    EXPECT_EQ(answer, 2);
}

TEST(KivPromptsTest, ASheetEndedByTheProgramGivesItsAnswerAndGoes) {
    QWidget window;
    window.show();
    KivQtPrompts prompts;
    std::vector<int> answers;
    prompts.beginSheet(&window,
                       {QStringLiteral("Device disappeared"), QString(), {QStringLiteral("OK")}},
                       [&](int chosen) { answers.push_back(chosen); });
    QPointer<QMessageBox> box = openMessageBox(window);
    ASSERT_NE(box, nullptr);
    QWidget other;
    prompts.endSheet(&other, 0);
    EXPECT_TRUE(answers.empty()) << "a sheet of another window ended";

    prompts.endSheet(&window, 0);
    EXPECT_EQ(answers, std::vector<int>{0});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull()) << "the ended sheet stays";
    prompts.endSheet(&window, 0);
    EXPECT_EQ(answers.size(), 1u);
}
