// Renders the tab bar close up to PNG files under the build tree's gallery
// folder, at 1x and 2x: the mouse over a tab's close button, a count, an
// edited tab, the same bar in a window that is not active, a pressed close
// button, a tab dragged along the row with a gap opening where it would
// land, and a tab dragged out of a tear-off style 0 row fading into the image
// of its content.
#include "support/CapturingLogSink.h"
#include "support/Gallery.h"
#include "tabbar/TabDragFixture.h"
#include "tabbar/TavTabDragAssistant.h"
#include "tabbar/TavTabDragWindowController.h"

#include <QPainter>

namespace {

// A page of cue rows, so the content image has something to show.
class CuePage final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const char* cues[] = {"House to half", "Walk-in music", "Preshow announcement",
                              "Thunder roll",  "Rain loop",     "Interval bell"};
        for (int row = 0; row * 24 < height(); ++row) {
            const QRect line(0, row * 24, width(), 24);
            painter.fillRect(line, row % 2 ? KivColors::tableRowOdd() : KivColors::tableRowEven());
            if (row < 6) {
                painter.setPen(KivColors::titleEnabled());
                painter.drawText(line.adjusted(12, 0, -12, 0), Qt::AlignVCenter,
                                 QString::fromLatin1(cues[row]));
            }
        }
    }
};

// The window with each drag window drawn over it at its alpha, on a dark
// backdrop where the drag windows reach past the window.
void saveWithDragWindows(QWidget& window,
                         const std::vector<const TavTabDragWindowController*>& drags,
                         const QString& name) {
    QRect area = window.geometry();
    for (const auto* drag : drags) {
        area |= drag->window().geometry();
    }
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(KivColors::grey(0.05));
    QPainter painter(&image);
    window.render(&painter, window.pos() - area.topLeft());
    for (const auto* drag : drags) {
        painter.setOpacity(drag->alpha());
        drag->window().render(&painter, drag->window().pos() - area.topLeft(), QRegion(),
                              QWidget::DrawChildren);
    }
    painter.end();
    const QString file = name + QStringLiteral("@1x.png");
    EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
}

class TabBarGallery : public TabBarFixture {
protected:
    TabBarGallery()
        : TabBarFixture(560) {}

    // The window background and tab widths of a workspace window.
    void dress() {
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, KivColors::windowBackground());
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        window.resize(586, 60);
        bar->setCellOptimumWidth(150);
        bar->setCellMinWidth(100);
        show();
    }
};

} // namespace

TEST_F(TabBarGallery, TheBarWithACloseButtonUnderTheMouseACountAndAnEditedTab) {
    dress();
    for (const char* name : {"Preshow", "Act One", "Interval", "Act Two", "Curtain Calls"}) {
        addItem(QString::fromLatin1(name));
    }
    tabView->selectTabViewItemAtIndex(1);
    cell(2).setCount(3);
    bar->relayout(false);
    sendMouse(*bar, QEvent::MouseMove, closeButtonOf(0), Qt::NoButton);
    saveToGallery(window, QStringLiteral("tabbar-hover-close"));

    cell(1).setIsEdited(true);
    sendMouse(*bar, QEvent::MouseMove, cell(1).frame().center(), Qt::NoButton);
    saveToGallery(window, QStringLiteral("tabbar-edited"));

    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar, &leave);
    saveToGallery(window, QStringLiteral("tabbar-inactive"));
}

TEST_F(TabBarGallery, TheBarWithACloseButtonPressed) {
    dress();
    for (const char* name : {"Preshow", "Act One", "Interval", "Act Two"}) {
        addItem(QString::fromLatin1(name));
    }
    tabView->selectTabViewItemAtIndex(1);
    bar->relayout(false);
    sendMouse(*bar, QEvent::MouseMove, closeButtonOf(1), Qt::NoButton);
    sendMouse(*bar, QEvent::MouseButtonPress, closeButtonOf(1));
    ASSERT_TRUE(cell(1).closeButtonPressed());
    saveToGallery(window, QStringLiteral("tabbar-close-pressed"));
    sendMouse(*bar, QEvent::MouseMove, cell(1).frame().center());
    sendMouse(*bar, QEvent::MouseButtonRelease, cell(1).frame().center());
}

TEST_F(TabBarGallery, ADragOpensAGapWhereTheTabWouldLand) {
    dress();
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
    saveToGallery(window, QStringLiteral("tabbar-drag"));
    assistant.draggedImageEndedAt(QPointF(-1, -1));
}

TEST_F(TabBarGallery, ATabDraggedOutOfTheRowFadesIntoItsContent) {
    CapturingLogSink log;
    dress();
    window.resize(586, 200);
    DraggingDelegate dragging;
    bar->setTearOffStyle(0);
    bar->setDelegate(&dragging);
    for (const char* name : {"Preshow", "Act One", "Interval", "Act Two"}) {
        tabView->addTabViewItem(
            std::make_unique<KivTabViewItem>(QVariant(), QString::fromLatin1(name), new CuePage));
    }
    bar->relayout(false);
    QApplication::processEvents();
    TavTabDragAssistant assistant;
    assistant.registerTabBar(*bar);
    const QPointF press = cell(0).frame().center();
    assistant.startDraggingCell(cell(0), *bar, press);
    ASSERT_NE(assistant.draggedTab(), nullptr);
    assistant.mouseMovedTo(bar->mapToGlobal(press + QPointF(330, 110)));
    ASSERT_NE(assistant.draggedView(), nullptr);
    // Half way through the fade, the tab still showing over its content,
    // and the row closed up behind it.
    for (int i = 0; i < 3; ++i) {
        scheduler.advance(TavTabDragAssistant::kAnimationInterval);
    }
    for (int i = 0; i < TavTabDragAssistant::kSteps; ++i) {
        assistant.animateDrag();
    }
    saveWithDragWindows(window, {assistant.draggedView(), assistant.draggedTab()},
                        QStringLiteral("tabbar-drag-content"));
    assistant.draggedImageEndedAt(QPointF(-1, -1));
    assistant.removeTabBar(*bar);
}
