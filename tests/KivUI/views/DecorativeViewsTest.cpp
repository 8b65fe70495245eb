#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"
#include "KivUI/outline/KivHeaderView.h"
#include "KivUI/views/CueInspectorView.h"
#include "KivUI/views/PondraBackgroundView.h"
#include "KivUI/views/PondraContentView.h"

#include <gtest/gtest.h>

#include <QStandardItemModel>
#include <QTableView>

TEST(DecorativeViewsTest, TheContentViewsStripHasItsTopEdge63PointsUp) {
    PondraContentView view;
    view.resize(300, 200);
    EXPECT_EQ(view.patternRect().top(), 200 - 63);
    const QImage image = renderWidget(view, 2.0);
    EXPECT_EQ(pixelAt(image, 150, 200 - 64).alpha(), 0);
    EXPECT_EQ(pixelAt(image, 150, 200 - 63).alpha(), 255);
    EXPECT_EQ(pixelAt(image, 150, 199.5).alpha(), 255);
}

TEST(DecorativeViewsTest, TheInspectorBackgroundRunsFromTopToBottomUnderTwoLines) {
    CueInspectorView view;
    view.resize(100, 201);
    const QImage image = renderWidget(view);
    // Black at 0.75 over the top of the gradient; white at 0.1 under it.
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 0), 0.2 * 0.25, 0.192 * 0.25, 0.192 * 0.25, 2));
    EXPECT_TRUE(
        nearRgb(pixelAt(image, 50, 1), 0.2 * 0.9 + 0.1, 0.192 * 0.9 + 0.1, 0.192 * 0.9 + 0.1, 2));
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 100), 0.1805, 0.1725, 0.1725, 2));
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 200), 0.161, 0.153, 0.153, 2));
}

TEST(DecorativeViewsTest, HeaderSectionsAreDarkAtTheTopWithASeparatorAtTheirRight) {
    QStandardItemModel model(1, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("Name"), QString()});
    QTableView table;
    table.setModel(&model);
    auto* header = new KivHeaderView(Qt::Horizontal);
    table.setHorizontalHeader(header);
    header->resizeSection(0, 100);
    table.resize(300, 100);
    table.show();
    const int bottom = header->height() - 1;
    const QImage image = renderWidget(*header);
    // Calibrated (0.152) at the top row growing to (0.254) at the bottom.
    const QColor top = pixelAt(image, 90, 0);
    EXPECT_TRUE(nearRgb(top, 0.152, 0.148, 0.148, 3));
    EXPECT_TRUE(nearRgb(pixelAt(image, 90, bottom), 0.254, 0.25, 0.25, 4));
    EXPECT_TRUE(nearGrey(pixelAt(image, 99, bottom / 2.0), 0.05, 1));
    // A section without a title has no separator.
    const int right = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    EXPECT_FALSE(nearGrey(pixelAt(image, right, bottom / 2.0), 0.05, 3));
}

TEST(DecorativeViewsTest, TheBackgroundViewIsDarkAtTheBottomAndLighterAtTheTop) {
    PondraBackgroundView view;
    view.resize(100, 101);
    const QImage image = renderWidget(view);
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 100), 0.124, 0.12, 0.12));
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 50), 0.148, 0.144, 0.144));
    EXPECT_TRUE(nearRgb(pixelAt(image, 50, 0), 0.172, 0.168, 0.168));

    // A part redrawn alone matches the whole.
    QImage part(view.size(), QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    view.render(&part, QPoint(0, 40), QRegion(0, 40, 100, 20));
    for (const int y : {41, 58}) {
        EXPECT_TRUE(nearRgb(part.pixelColor(50, y), pixelAt(image, 50, y).redF(),
                            pixelAt(image, 50, y).greenF(), pixelAt(image, 50, y).blueF(), 1))
            << y;
    }
}
