#include "effecteditor/KivEffectPresetManageSheet.h"

#include "KivUI/controls/VornButton.h"
#include "effecteditor/PresetManageSheetFixture.h"
#include "support/Outlet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

using Items = std::vector<KivOutlineItem>;

} // namespace

TEST_F(PresetManageSheetTest, TheTableHoldsTheSystemGroupThenTheUserGroupWithFoldersClosed) {
    ASSERT_TRUE(sheet.isVisible());
    Items rows;
    for (int row = 0; row < table().numberOfRows(); ++row) {
        rows.push_back(table().itemForIndex(row));
    }
    EXPECT_EQ(rows, (Items{&system, item(hall), &user, item(bright), item(folder.path("user/Live")),
                           item(warm)}));
    EXPECT_EQ(table().indexOfItem(item(stage)), -1);
}

TEST_F(PresetManageSheetTest, RenameMovesTheFileAndSelectsItUnderItsNewName) {
    EXPECT_TRUE(sheet.renamePreset(warm, QStringLiteral("Live/Hall")));
    const std::string moved = folder.path("user/Live_Hall.aupreset");
    EXPECT_FALSE(std::filesystem::exists(warm));
    EXPECT_EQ(contents(moved), "{\"warm\":1}");
    EXPECT_EQ(table().selectedItem(), item(moved));
    EXPECT_EQ(reads, 1);
    EXPECT_TRUE(prompts.alerts.empty());
    // The same name again moves nothing.
    EXPECT_TRUE(sheet.renamePreset(moved, QStringLiteral("Live_Hall")));
    EXPECT_EQ(reads, 1);
}

TEST_F(PresetManageSheetTest, RenameRefusesAnExistingNameAndAnEmptyOneAndKeepsBothFiles) {
    EXPECT_FALSE(sheet.renamePreset(warm, QStringLiteral("Bright")));
    ASSERT_EQ(prompts.alerts.size(), 1U);
    EXPECT_EQ(prompts.alerts[0].messageText,
              QStringLiteral("A preset named \u201CBright\u201D already exists."));
    EXPECT_EQ(contents(warm), "{\"warm\":1}");
    EXPECT_EQ(contents(bright), "{\"bright\":1}");

    EXPECT_FALSE(sheet.renamePreset(warm, QStringLiteral("  ")));
    ASSERT_EQ(prompts.alerts.size(), 2U);
    EXPECT_EQ(prompts.alerts[1].messageText, QStringLiteral("A preset needs a name."));
    EXPECT_EQ(contents(warm), "{\"warm\":1}");
    EXPECT_EQ(reads, 0);
}

TEST_F(PresetManageSheetTest, DoubleClickingAPresetEditsItsNameInPlaceAndReturnRenamesIt) {
    table().expandItem(item(folder.path("user/Live")));
    const int row = table().indexOfItem(item(stage));
    const QPointF at(120, table().rectOfRow(row).center().y());
    mouse(QEvent::MouseButtonPress, at);
    mouse(QEvent::MouseButtonRelease, at);
    mouse(QEvent::MouseButtonDblClick, at);
    mouse(QEvent::MouseButtonRelease, at);
    auto* field = table().findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("Stage"));
    field->setText(QStringLiteral("Stage Left"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &enter);
    const std::string moved = folder.path("user/Live/Stage Left.aupreset");
    EXPECT_TRUE(std::filesystem::exists(moved));
    // The folder stays open across the reload and the preset stays selected.
    EXPECT_EQ(table().indexOfItem(item(moved)), row);
    EXPECT_EQ(table().selectedItem(), item(moved));

    // An edit given up keeps the name.
    table().editItem(item(moved), QStringLiteral("name"));
    ASSERT_NE(table().findChild<QLineEdit*>(), nullptr);
    table().findChild<QLineEdit*>()->setText(QStringLiteral("Gone"));
    table().abortEditing();
    EXPECT_TRUE(std::filesystem::exists(moved));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Groups are not renamed.
    table().selectItem(&user);
    table().editItem(&user, QStringLiteral("name"));
    QCoreApplication::processEvents();
    EXPECT_EQ(table().findChild<QLineEdit*>(), nullptr);
}

TEST_F(PresetManageSheetTest, RemoveIsOfferedForPresetsOnlyAndDeletesTheSelectedFile) {
    table().selectItem(&system);
    EXPECT_FALSE(outlet<VornButton>(&sheet, "removePresetButton")->isEnabled());
    table().selectItem(item(hall));
    EXPECT_TRUE(outlet<VornButton>(&sheet, "removePresetButton")->isEnabled());
    outlet<VornButton>(&sheet, "removePresetButton")->click();
    EXPECT_FALSE(std::filesystem::exists(hall));
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(table().itemForIndex(1), &user);
    EXPECT_FALSE(outlet<VornButton>(&sheet, "removePresetButton")->isEnabled());
}

TEST_F(PresetManageSheetTest, PlusEndsTheSheetAndGoesOnToSaving) {
    int adds = 0;
    sheet.onAdd = [&] { ++adds; };
    sheet.findChild<VornButton*>(QStringLiteral("addPresetButton"))->click();
    EXPECT_EQ(adds, 1);
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(PresetManageSheetTest, TheButtonsLineUpWithTheListsEdges) {
    QCoreApplication::processEvents();
    const auto* add = sheet.findChild<VornButton*>(QStringLiteral("addPresetButton"));
    const auto* done = sheet.findChild<VornButton*>(QStringLiteral("closeManagePanel"));
    ASSERT_TRUE(add && done);
    const QRectF list(table().mapTo(&sheet, QPoint()), QSizeF(table().size()));
    EXPECT_EQ(add->bezelRect().translated(add->mapTo(&sheet, QPoint())).left(), list.left());
    EXPECT_EQ(done->bezelRect().translated(done->mapTo(&sheet, QPoint())).right(), list.right());
}
