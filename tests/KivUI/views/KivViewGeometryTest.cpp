#include "KivUI/views/KivViewGeometry.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

TEST(KivViewGeometryTest, RectanglesAndPointsFlipOnTheViewsHeight) {
    QWidget view;
    view.resize(200, 100);
    const KivViewGeometry geometry(view);
    // A strip whose top edge lies 63 points above the bottom.
    EXPECT_EQ(geometry.toQt(KivRect{0, 53, 200, 10}), QRectF(0, 37, 200, 10));
    EXPECT_EQ(geometry.toQt(KivPoint{5, 0}), QPointF(5, 100));
    const KivRect back = geometry.fromQt(QRectF(0, 37, 200, 10));
    EXPECT_FLOAT_EQ(back.y, 53);
    EXPECT_FLOAT_EQ(back.height, 10);
    EXPECT_EQ(KivViewGeometry::offsetToQt({0, -1}), QPointF(0, 1));
}

TEST(KivViewGeometryTest, ScreenPointsCountUpFromThePrimaryScreensBottom) {
    const QScreen& screen = *QGuiApplication::primaryScreen();
    const QRect area = screen.geometry();
    const QPointF global = KivViewGeometry::screenToGlobal({10, 0}, screen);
    EXPECT_EQ(global, QPointF(area.x() + 10, area.y() + area.height()));
    const KivPoint back = KivViewGeometry::globalToScreen(QPointF(area.x() + 3, area.y()), screen);
    EXPECT_FLOAT_EQ(back.x, 3);
    EXPECT_FLOAT_EQ(back.y, static_cast<float>(area.height()));
}
