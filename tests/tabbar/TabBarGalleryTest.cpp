// Renders the tab bar close up to PNG files under the build tree's gallery
// folder, at 1x and 2x: the mouse over a tab's close button, a count, an
// edited tab, the same bar in a window that is not active, and a tab
// dragged along the row with a gap opening where it would land.
#include "TabBarFixture.h"
#include "tabbar/TavTabDragAssistant.h"

#include <QDir>

namespace {

void save(QWidget& widget, const QString& name) {
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    for (qreal ratio : {1.0, 2.0}) {
        QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        widget.render(&image);
        const QString file =
            QStringLiteral(PONDRA_GALLERY_DIR "/%1@%2x.png").arg(name).arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(file)) << file.toStdString();
    }
}

class TabBarGallery : public TabBarFixture {
protected:
    TabBarGallery()
        : TabBarFixture(560) {}
};

} // namespace

TEST_F(TabBarGallery, TheBarWithACloseButtonUnderTheMouseACountAndAnEditedTab) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, KivColors::windowBackground());
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(586, 60);
    bar->setCellOptimumWidth(150);
    bar->setCellMinWidth(100);
    show();
    for (const char* name : {"Preshow", "Act One", "Interval", "Act Two", "Curtain Calls"}) {
        addItem(QString::fromLatin1(name));
    }
    tabView->selectTabViewItemAtIndex(1);
    cell(2).setCount(3);
    bar->relayout(false);
    sendMouse(*bar, QEvent::MouseMove, closeButtonOf(0), Qt::NoButton);
    save(window, QStringLiteral("tabbar-hover-close"));

    cell(1).setIsEdited(true);
    sendMouse(*bar, QEvent::MouseMove, cell(1).frame().center(), Qt::NoButton);
    save(window, QStringLiteral("tabbar-edited"));

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar, &leave);
    save(window, QStringLiteral("tabbar-inactive"));
}

TEST_F(TabBarGallery, ADragOpensAGapWhereTheTabWouldLand) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, KivColors::windowBackground());
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(586, 60);
    bar->setCellOptimumWidth(150);
    bar->setCellMinWidth(100);
    show();
    for (const char* name : {"Preshow", "Act One", "Interval", "Act Two"}) {
        addItem(QString::fromLatin1(name));
    }
    bar->relayout(false);
    TavTabDragAssistant assistant;
    TavTabBarCell& interval = cell(2);
    assistant.startDraggingCell(interval, *bar, interval.frame().center());
    ASSERT_TRUE(assistant.isDragging());
    // Over the first tab's right half: the gap after it opens half way while
    // the one the tab left closes.
    assistant.draggingUpdatedInTabBar(*bar, cell(1).frame().center() + QPointF(20, 0));
    for (int i = 0; i < 4; ++i) {
        assistant.animateDrag();
    }
    save(window, QStringLiteral("tabbar-drag"));
    assistant.draggedImageEndedAt(QPointF(-1, -1));
}
