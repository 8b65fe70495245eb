// The attached window: where it sits for a side of its point, the side it
// picks near the screen's edges, its outline, the lengths it holds in range,
// and the view it lends back.
#include "KivUI/views/BrolAttachedWindow.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/views/KivViewGeometry.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <memory>

namespace {

std::unique_ptr<QWidget> viewOf(int width, int height) {
    auto view = std::make_unique<QWidget>();
    view->resize(width, height);
    return view;
}

void expectRect(KivRect rect, float x, float y, float width, float height) {
    EXPECT_FLOAT_EQ(rect.x, x);
    EXPECT_FLOAT_EQ(rect.y, y);
    EXPECT_FLOAT_EQ(rect.width, width);
    EXPECT_FLOAT_EQ(rect.height, height);
}

// Every point the outline passes through, y-up.
std::vector<QPointF> pointsOf(const QPainterPath& path) {
    std::vector<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i) {
        points.emplace_back(path.elementAt(i));
    }
    return points;
}

bool passesThrough(const QPainterPath& path, QPointF point) {
    for (const QPointF& p : pointsOf(path)) {
        if (p == point) {
            return true;
        }
    }
    return false;
}

BrolAttachedGeometry geometryOf(float width, float height, int side) {
    BrolAttachedGeometry geometry;
    geometry.viewSize = {width, height};
    geometry.side = side;
    return geometry;
}

} // namespace

TEST(BrolAttachedWindowTest, AboveItsPointItSitsCentredWithItsArrowUnderTheView) {
    auto view = viewOf(100, 50);
    BrolAttachedWindow window(view.get(), {500, 300}, 3);
    expectRect(window.windowFrame(), 448, 300, 104, 70);
    expectRect(window.viewFrame(), 2, 18, 100, 50);
    // Converted once onto Qt's screen, y-down.
    const QPointF topLeft =
        KivViewGeometry::screenToGlobal({448, 370}, *QGuiApplication::primaryScreen());
    EXPECT_EQ(window.geometry(), QRect(topLeft.toPoint(), QSize(104, 70)));
    EXPECT_EQ(view->geometry(), QRect(2, 2, 100, 50));

    BrolAttachedGeometry geometry = geometryOf(100, 50, 3);
    const QRectF bounds = geometry.outline().boundingRect();
    EXPECT_EQ(bounds, QRectF(1, 1, 102, 68));
    EXPECT_TRUE(passesThrough(geometry.outline(), {52, 1}));
    EXPECT_TRUE(passesThrough(geometry.outline(), {62, 17}));
    EXPECT_TRUE(passesThrough(geometry.outline(), {42, 17}));
    EXPECT_TRUE(passesThrough(geometry.outline(), {95, 69}));
}

TEST(BrolAttachedWindowTest, EachSidePlacesTheWindowAroundItsPoint) {
    // Window 120 x 54 or 104 x 70 with the arrow's room; inset 18.
    const KivPoint p{500, 300};
    const struct {
        int side;
        float x, y;
    } cases[] = {
        {0, 380, 273}, {1, 448, 230}, {2, 500, 273}, {3, 448, 300}, {4, 380, 282},  {5, 380, 264},
        {6, 500, 282}, {7, 500, 264}, {8, 414, 300}, {9, 482, 300}, {10, 414, 230}, {11, 482, 230},
    };
    for (const auto& c : cases) {
        const KivRect frame = geometryOf(100, 50, c.side).windowFrame(p);
        EXPECT_FLOAT_EQ(frame.x, c.x) << "side " << c.side;
        EXPECT_FLOAT_EQ(frame.y, c.y) << "side " << c.side;
    }
    BrolAttachedGeometry away = geometryOf(100, 50, 2);
    away.distance = 10;
    EXPECT_FLOAT_EQ(away.windowFrame(p).x, 510);
    expectRect(away.viewFrame(), 18, 2, 100, 50);
}

TEST(BrolAttachedWindowTest, NearTheScreensBottomEdgeTheBubbleGoesBesideThePoint) {
    const BrolAttachedGeometry geometry = geometryOf(100, 50, BrolAttachedGeometry::kAutomaticSide);
    const KivRect screen{0, 0, 1920, 1080};
    const KivRect window{0, 0, 800, 600};
    EXPECT_EQ(geometry.bestSide({400, 500}, screen, window), 1);
    // No room below: to the right, or to the left at the screen's right edge.
    EXPECT_EQ(geometry.bestSide({400, 40}, screen, window), 2);
    EXPECT_EQ(geometry.bestSide({1880, 40}, screen, window), 0);
    // The centred bubble would hang below the window: it extends upward.
    EXPECT_EQ(geometry.bestSide({400, 20}, screen, window), 6);
    EXPECT_EQ(geometry.bestSide({1880, 20}, screen, window), 4);
    // Near the window's top it extends downward.
    EXPECT_EQ(geometry.bestSide({400, 40}, screen, KivRect{0, 0, 800, 60}), 7);
    // No room anywhere.
    EXPECT_EQ(geometry.bestSide({30, 20}, KivRect{0, 0, 60, 40}, KivRect{0, 0, 60, 40}), 1);

    // On the screen itself, the window chooses when it is made.
    const QScreen& primary = *QGuiApplication::primaryScreen();
    const QRect available = primary.availableGeometry();
    const KivPoint nearBottom = KivViewGeometry::globalToScreen(
        QPointF(available.center().x(), available.bottom() - 40), primary);
    auto view = viewOf(100, 50);
    BrolAttachedWindow automatic(view.get(), nearBottom);
    EXPECT_EQ(automatic.side(), 2);
}

TEST(BrolAttachedWindowTest, LengthsAreHeldInRangeAndNeverBelowZero) {
    auto view = viewOf(100, 50);
    BrolAttachedWindow window(view.get(), {500, 300}, 3);
    window.setBorderWidth(5);
    EXPECT_FLOAT_EQ(window.borderWidth(), 2);
    window.setBorderWidth(-1);
    EXPECT_FLOAT_EQ(window.borderWidth(), 0);
    window.setArrowBaseWidth(-5);
    EXPECT_FLOAT_EQ(window.arrowBaseWidth(), 0);
    window.setViewMargin(-3);
    EXPECT_FLOAT_EQ(window.viewMargin(), 0);

    // A view too small for the default corners and arrow.
    auto small = viewOf(10, 10);
    BrolAttachedWindow tiny(small.get(), {500, 300}, 3);
    tiny.setCornerRadius(8);
    EXPECT_FLOAT_EQ(tiny.cornerRadius(), 0);
    tiny.setArrowBaseWidth(20);
    EXPECT_FLOAT_EQ(tiny.arrowBaseWidth(), 14);
    EXPECT_FALSE(tiny.bubbleImage().isNull());
}

TEST(BrolAttachedWindowTest, TheBubbleIsFilledBorderedAndClearAroundItsArrow) {
    auto view = viewOf(100, 50);
    BrolAttachedWindow window(view.get(), {500, 300}, 3);
    const QImage bubble = window.bubbleImage();
    ASSERT_EQ(bubble.size(), QSize(104, 70));
    // y-down: the arrow's tip near the bottom, in the middle.
    EXPECT_GT(pixelAt(bubble, 52, 66).alpha(), 0);
    EXPECT_EQ(pixelAt(bubble, 10, 66).alpha(), 0);
    EXPECT_EQ(pixelAt(bubble, 0, 0).alpha(), 0);
    // Inside: the fill, white 0.1 at 0.75; on the edge: the white border.
    const QColor fill = pixelAt(bubble, 50, 25);
    EXPECT_TRUE(nearGrey(fill, 0.1)) << fill.name().toStdString();
    EXPECT_TRUE(near(fill.alpha(), 191));
    EXPECT_TRUE(nearGrey(pixelAt(bubble, 50, 1), 1.0, 8));

    // Without an arrow the window keeps its size and only the arrow goes.
    window.setHasArrow(false);
    expectRect(window.windowFrame(), 448, 300, 104, 70);
    EXPECT_EQ(pixelAt(window.bubbleImage(), 52, 66).alpha(), 0);
    EXPECT_GT(pixelAt(window.bubbleImage(), 50, 25).alpha(), 0);
}

TEST(BrolAttachedWindowTest, ColoursArrowHeightAndTheCornerBesideTheArrowRedrawTheBubble) {
    auto view = viewOf(100, 50);
    BrolAttachedWindow window(view.get(), {500, 300}, 3);
    window.setBorderColor(QColor(255, 0, 0));
    window.setBackgroundColor(QColor(0, 0, 255));
    EXPECT_EQ(window.borderColor(), QColor(255, 0, 0));
    EXPECT_EQ(window.windowBackgroundColor(), QColor(0, 0, 255));
    QImage bubble = window.bubbleImage();
    const QColor fill = pixelAt(bubble, 50, 25);
    EXPECT_TRUE(near(fill.red(), 0) && near(fill.blue(), 255)) << fill.name().toStdString();
    const QColor border = pixelAt(bubble, 50, 1);
    EXPECT_TRUE(near(border.red(), 255, 8) && near(border.blue(), 0, 8))
        << border.name().toStdString();

    // A longer arrow: the window grows by it below the bubble, the view stays above.
    window.setArrowHeight(30);
    EXPECT_FLOAT_EQ(window.arrowHeight(), 30);
    expectRect(window.windowFrame(), 448, 300, 104, 84);
    expectRect(window.viewFrame(), 2, 32, 100, 50);
    bubble = window.bubbleImage();
    ASSERT_EQ(bubble.size(), QSize(104, 84));
    EXPECT_GT(pixelAt(bubble, 52, 80).alpha(), 0) << "the tip, 30 below the bubble";

    // Side 8: the arrow near the bottom edge's right end. Squaring the corner
    // beside it fills that corner and moves the arrow closer to it.
    auto other = viewOf(100, 50);
    BrolAttachedWindow corner(other.get(), {500, 300}, 8);
    const QColor rounded = pixelAt(corner.bubbleImage(), 102, 53);
    expectRect(corner.windowFrame(), 500 - 104 + 18, 300, 104, 70);
    corner.setDrawsRoundCornerBesideArrow(false);
    EXPECT_FALSE(corner.drawsRoundCornerBesideArrow());
    expectRect(corner.windowFrame(), 500 - 104 + 10, 300, 104, 70);
    EXPECT_EQ(rounded.alpha(), 0);
    EXPECT_GT(pixelAt(corner.bubbleImage(), 102, 53).alpha(), 0);
    EXPECT_EQ(pixelAt(corner.bubbleImage(), 1, 1).alpha(), 0) << "the other corners stay round";
}

TEST(BrolAttachedWindowTest, TheAutomaticSideSetLaterLeavesAPlainBubbleAtThePoint) {
    auto view = viewOf(100, 50);
    BrolAttachedWindow window(view.get(), {500, 300}, 3);
    window.setPoint({200, 100}, BrolAttachedWindow::kAutomaticSide);
    expectRect(window.windowFrame(), 200, 100, 104, 54);
    expectRect(window.viewFrame(), 2, 2, 100, 50);
    EXPECT_EQ(window.side(), BrolAttachedWindow::kAutomaticSide);
    EXPECT_EQ(pixelAt(window.bubbleImage(), 0, 0).alpha(), 0);
    EXPECT_GT(pixelAt(window.bubbleImage(), 52, 50).alpha(), 0);
}

TEST(BrolAttachedWindowTest, FollowsItsViewsSizeAndLendsTheViewBack) {
    QWidget owner;
    owner.resize(400, 300);
    auto view = viewOf(100, 50);
    {
        auto* window = new BrolAttachedWindow(view.get(), {200, 150}, &owner, 3);
        EXPECT_EQ(window->parentWidget(), &owner);
        EXPECT_EQ(view->parentWidget(), window);
        window->show();
        view->resize(200, 50);
        EXPECT_FLOAT_EQ(window->windowFrame().width, 204);
        EXPECT_EQ(window->width(), 204);
        delete window;
    }
    EXPECT_EQ(view->parentWidget(), nullptr);
    EXPECT_EQ(view->size(), QSize(200, 50));

    // The point is in the window's own y-up coordinates.
    owner.move(0, 0);
    BrolAttachedWindow inOwner(view.get(), {200, 100}, &owner, 3);
    const QPointF global = owner.mapToGlobal(QPointF(200, 200));
    const KivPoint onScreen =
        KivViewGeometry::globalToScreen(global, *QGuiApplication::primaryScreen());
    EXPECT_FLOAT_EQ(inOwner.windowFrame().x, onScreen.x - 102);
    EXPECT_FLOAT_EQ(inOwner.windowFrame().y, onScreen.y);
}
