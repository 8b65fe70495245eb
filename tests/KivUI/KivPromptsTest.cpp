#include "KivUI/KivQtPrompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

QMessageBox* openMessageBox(QWidget& window) {
    for (QObject* child : window.children()) {
        if (auto* box = qobject_cast<QMessageBox*>(child)) {
            return box;
        }
    }
    return nullptr;
}

} // namespace

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
