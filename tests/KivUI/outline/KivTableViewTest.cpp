#include "KivUI/outline/KivTableView.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>

TEST(KivTableViewTest, RowsAreBandedAcrossTheViewportBelowTheLastRowTooWhateverTheSelection) {
    QStandardItemModel model(2, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Effect"), QStringLiteral("On")});
    KivTableView table;
    table.setModel(&model);
    table.resize(300, 200);
    table.show();
    table.selectRow(1);
    const int h = table.verticalHeader()->defaultSectionSize();
    const QImage image = renderWidget(*table.viewport());
    auto band = [&](int row) { return pixelAt(image, 280, row * h + h / 2.0); };
    // Rows 0 and 2 lighter, 1 and 3 darker, past the columns and past the rows.
    EXPECT_TRUE(nearRgb(band(0), 0.146, 0.142, 0.142, 1));
    EXPECT_TRUE(nearRgb(band(2), 0.146, 0.142, 0.142, 1));
    EXPECT_TRUE(nearRgb(band(3), 0.132, 0.128, 0.128, 1));
    // Row 0 is lighter than row 1 whether or not row 1 is selected.
    EXPECT_TRUE(nearRgb(pixelAt(image, 280, h * 1.5), 0.132, 0.128, 0.128, 1));
}

TEST(KivTableViewTest, BandsFollowTheRowsWhenScrolled) {
    QStandardItemModel model(40, 1);
    KivTableView table;
    table.setModel(&model);
    table.resize(200, 120);
    table.show();
    const int h = table.verticalHeader()->defaultSectionSize();
    table.verticalScrollBar()->setValue(h);
    ASSERT_EQ(table.rowAt(h / 2), 1);
    const QImage image = renderWidget(*table.viewport());
    EXPECT_TRUE(nearRgb(pixelAt(image, 150, h / 2.0), 0.132, 0.128, 0.128, 1));
    EXPECT_TRUE(nearRgb(pixelAt(image, 150, h * 1.5), 0.146, 0.142, 0.142, 1));
}

TEST(KivTableViewTest, ATallerRowHasOneBandOfItsOwnHeight) {
    QStandardItemModel model(3, 1);
    KivTableView table;
    table.setModel(&model);
    table.resize(200, 200);
    table.show();
    const int h = table.verticalHeader()->defaultSectionSize();
    table.setRowHeight(1, 3 * h);
    const QImage image = renderWidget(*table.viewport());
    const auto lighter = [&](double y) {
        return nearRgb(pixelAt(image, 150, y), 0.146, 0.142, 0.142, 1);
    };
    const auto darker = [&](double y) {
        return nearRgb(pixelAt(image, 150, y), 0.132, 0.128, 0.128, 1);
    };
    EXPECT_TRUE(lighter(h * 0.5));
    EXPECT_TRUE(darker(h * 1.5));
    EXPECT_TRUE(darker(h * 3.5)) << "row 1 is dark all the way down";
    EXPECT_TRUE(lighter(h * 4.5)) << "row 2 begins below it";
    EXPECT_TRUE(darker(h * 5.5)) << "and the default bands go on after the last row";
    EXPECT_TRUE(lighter(h * 6.5));
}
