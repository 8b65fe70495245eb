#include "KivUI/controls/VornPopUpButton.h"

#include "KivUI/PixelProbe.h"
#include "KivUI/WidgetRender.h"
#include "KivUI/drawing/KivColors.h"
#include "support/Gallery.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>

#include <algorithm>

TEST(VornPopUpButtonTest, TheBezelIsInsetAndCentredAndHalfAsOpaqueWhenDisabled) {
    VornPopUpButton popUp;
    popUp.addItems({QStringLiteral("Built-in Output"), QStringLiteral("USB Interface")});
    popUp.resize(160, 27);
    // Inset 3 each side, 22 high, floor((27 - 22) / 2) from the top.
    EXPECT_EQ(popUp.bezelRect(), QRectF(3, 2, 154, 22));
    const QPointF probe(7, 8);
    const QColor enabled = pixelAt(renderWidget(popUp), probe.x(), probe.y());
    popUp.setEnabled(false);
    const QColor disabled = pixelAt(renderWidget(popUp), probe.x(), probe.y());
    EXPECT_EQ(enabled.alpha(), 255);
    EXPECT_TRUE(near(disabled.alpha(), 128)) << disabled.alpha();
}

TEST(VornPopUpButtonTest, SmallAndPullDownUseTheirOwnImages) {
    VornPopUpButton popUp;
    popUp.resize(120, 22);
    popUp.setControlSize(KivControlSize::Small);
    EXPECT_EQ(popUp.bezelRect().height(), 18);
    popUp.setPullsDown(true);
    const QImage pullDown = renderWidget(popUp);
    popUp.setPullsDown(false);
    EXPECT_NE(renderWidget(popUp), pullDown);
}

TEST(VornPopUpButtonTest, ItsOpenListWearsTheDarkWindowsColours) {
    QWidget window;
    window.resize(320, 200);
    VornPopUpButton popUp(&window);
    popUp.addItems({QStringLiteral("Default ALSA Output"), QStringLiteral("JACK (default)"),
                    QStringLiteral("No Sound")});
    popUp.setGeometry(10, 10, 220, 27);
    window.show();
    popUp.showPopup();
    QWidget* list = popUp.view()->window();
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(popUp.view()->palette().color(QPalette::Base), KivColors::textFieldBody(false));
    EXPECT_EQ(popUp.view()->palette().color(QPalette::Text), KivColors::textFieldText());

    // Drawn as it shows: the rows and the frame around them dark, the
    // names light. The current row is the first; the last is unselected.
    const QImage shown = renderWidget(*list);
    const QRect last = popUp.view()->visualRect(popUp.model()->index(2, 0));
    const QPoint inList = popUp.view()->viewport()->mapTo(list, last.topRight()) + QPoint(-4, 2);
    EXPECT_LT(qGray(shown.pixel(inList)), 80) << "the list's ground is light";
    EXPECT_LT(qGray(shown.pixel(1, list->height() / 2)), 100) << "the list's frame is light";
    int lightest = 0;
    for (int x = 0; x < last.width(); ++x) {
        const QPoint at = popUp.view()->viewport()->mapTo(list, QPoint(x, last.center().y()));
        lightest = std::max(lightest, qGray(shown.pixel(at)));
    }
    EXPECT_GT(lightest, 170) << "no light text in the last row";
    saveToGallery(*list, QStringLiteral("PopUpList"));
    popUp.hidePopup();
}
