#include "KivUI/outline/KivOutlineView.h"

#include "KivUI/OutlineTree.h"
#include "KivUI/WidgetRender.h"
#include "KivUI/outline/KivOutlineRowHighlightView.h"
#include "KivUI/outline/KivOutlineTextRowView.h"
#include "foundation/Clock.h"
#include "foundation/KivLog.h"
#include "foundation/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// Drag events reach a widget through Qt only during a real drag, so the test
// hands them over itself.
class DropOutlineView : public KivOutlineView {
public:
    using KivOutlineView::dragMoveEvent;
    using KivOutlineView::dropEvent;

    // The areas painted, in order.
    std::vector<QRect> painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        painted.push_back(event->rect());
        KivOutlineView::paintEvent(event);
    }
};

// Drums{Kick, Snare}, Voices{Lead, Choir{Alto, Tenor}}, Click, in a 300 x 250
// scroll area, rows 25 high.
class OutlineViewTest : public ::testing::Test {
protected:
    OutlineViewTest()
        : scheduler(clock) {
        drums = tree.root.add("Drums", true);
        kick = drums->add("Kick");
        snare = drums->add("Snare");
        voices = tree.root.add("Voices", true);
        lead = voices->add("Lead");
        choir = voices->add("Choir", true);
        alto = choir->add("Alto");
        tenor = choir->add("Tenor");
        click = tree.root.add("Click");
        view = new DropOutlineView;
        view->setTiming(&scheduler, &clock);
        view->setAcceptDrops(true);
        area.setWidget(view);
        area.resize(300, 250);
        area.show();
        view->setDataSource(&tree);
    }

    void press(QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               QEvent::Type type = QEvent::MouseButtonPress) {
        QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QCoreApplication::sendEvent(view, &event);
    }
    void release(QPointF at) {
        QMouseEvent event(QEvent::MouseButtonRelease, at, view->mapToGlobal(at), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }
    void drag(QPointF at) {
        QMouseEvent event(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(150, row * 25 + 12);
        press(at, modifiers);
        release(at);
    }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = QString()) {
        QKeyEvent event(QEvent::KeyPress, code, modifiers, text);
        QCoreApplication::sendEvent(view, &event);
    }
    Qt::DropAction dragOver(QPointF at) {
        QDragMoveEvent event(at.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        view->dragMoveEvent(&event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    }
    std::pair<const OutlineNode*, int> target(QPointF at, bool direct) {
        const auto t = view->dropTarget(view->entryForIndex(view->rowAtPoint(at)), at, direct);
        return {t.parent ? OutlineTree::node(t.parent->item()) : nullptr, t.childIndex};
    }
    std::vector<KivOutlineItem> selection() const { return view->allSelectedItems(); }

    ManualClock clock;
    ManualScheduler scheduler;
    OutlineTree tree;
    OutlineNode *drums, *kick, *snare, *voices, *lead, *choir, *alto, *tenor, *click;
    QScrollArea area;
    DropOutlineView* view;
    QMimeData mime;
};

using Items = std::vector<KivOutlineItem>;

} // namespace

TEST_F(OutlineViewTest, ModifierClicksWithASingleSelectionPickOnlyThatRow) {
    clickRow(0);
    EXPECT_EQ(selection(), Items{drums});
    clickRow(2, Qt::ControlModifier);
    EXPECT_EQ(selection(), Items{click});
    clickRow(1, Qt::ShiftModifier);
    EXPECT_EQ(selection(), Items{voices});
    clickRow(1, Qt::ControlModifier);
    EXPECT_TRUE(selection().empty());
    // A click below the rows clears the selection.
    clickRow(0);
    press(QPointF(150, 200));
    EXPECT_TRUE(selection().empty());
}

TEST_F(OutlineViewTest, ShiftArrowsExtendARangeFromTheAnchorAndUpStopsAtTheTop) {
    view->setAllowsMultipleSelection(true);
    view->expandItem(drums);
    clickRow(1);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selection(), (Items{kick, snare, voices}));
    key(Qt::Key_Up, Qt::ShiftModifier);
    key(Qt::Key_Up, Qt::ShiftModifier);
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selection(), (Items{drums, kick}));
    EXPECT_EQ(view->selectedItem(), drums);
    key(Qt::Key_Up);
    EXPECT_EQ(selection(), (Items{drums, kick}));
    // Shift-click makes a range from the anchor; Ctrl-click adds and removes.
    clickRow(2, Qt::ShiftModifier);
    EXPECT_EQ(selection(), (Items{kick, snare}));
    clickRow(4, Qt::ControlModifier);
    EXPECT_EQ(selection(), (Items{kick, snare, click}));
    clickRow(1, Qt::ControlModifier);
    EXPECT_EQ(selection(), (Items{snare, click}));
}

TEST_F(OutlineViewTest, APlainClickInAMultipleSelectionNarrowsItAfterAPauseUnlessADragStarts) {
    view->setAllowsMultipleSelection(true);
    view->selectAll();
    ASSERT_EQ(selection().size(), 3U);
    clickRow(1);
    EXPECT_EQ(selection().size(), 3U);
    scheduler.advance(0.44);
    EXPECT_EQ(selection().size(), 3U);
    scheduler.advance(0.02);
    EXPECT_EQ(selection(), Items{voices});

    // A new press that drags within the pause keeps the selection.
    view->selectAll();
    clickRow(1);
    press(QPointF(150, 37));
    drag(QPointF(154, 40));
    scheduler.advance(1);
    EXPECT_EQ(selection().size(), 3U);
}

TEST_F(OutlineViewTest, ADragAsksForItemsOnlyOnceThePointerHasGoneFifteenPoints) {
    press(QPointF(100, 12));
    drag(QPointF(108, 23));
    EXPECT_EQ(tree.writeRequests, 0);
    drag(QPointF(109, 24));
    EXPECT_EQ(tree.writeRequests, 1);
    release(QPointF(109, 24));

    view->setOutlineEnabled(false);
    press(QPointF(100, 12));
    drag(QPointF(100, 60));
    EXPECT_EQ(tree.writeRequests, 1);
}

TEST_F(OutlineViewTest, ArrowKeysExpandCollapseAndClimbAndAngleBracketsDoTheWholeTree) {
    clickRow(1);
    key(Qt::Key_Right);
    EXPECT_EQ(view->numberOfRows(), 5);
    key(Qt::Key_Down);
    key(Qt::Key_Left);
    EXPECT_EQ(view->selectedItem(), voices);
    key(Qt::Key_Left);
    EXPECT_EQ(view->numberOfRows(), 3);
    key(Qt::Key_Greater, Qt::ShiftModifier, QStringLiteral(">"));
    EXPECT_EQ(view->numberOfRows(), 9);
    key(Qt::Key_Less, Qt::ShiftModifier, QStringLiteral("<"));
    EXPECT_EQ(view->numberOfRows(), 3);
    EXPECT_FALSE(view->entryForItem(choir)->expanded());
    EXPECT_EQ(tree.told.front(), "expand Voices");
}

TEST_F(OutlineViewTest, DropTargetsFollowTheBandsAndTheIndentation) {
    view->expandItem(voices, true);
    // Rows: Drums 0, Voices 1, Lead 2, Choir 3, Alto 4, Tenor 5, Click 6.
    using T = std::pair<const OutlineNode*, int>;
    EXPECT_EQ(target(QPointF(100, 37), true), (T{voices, -1}));
    EXPECT_EQ(target(QPointF(100, 27), true), (T{nullptr, 1}));
    // Not droppable onto the row: the band is the middle line.
    EXPECT_EQ(target(QPointF(100, 60), false), (T{voices, 0}));
    EXPECT_EQ(target(QPointF(100, 62.5), false), (T{voices, 1}));
    // Below an expandable row, right of its indentation: its first child.
    EXPECT_EQ(target(QPointF(100, 24), true), (T{drums, 0}));
    // Left of it, after it among its siblings.
    EXPECT_EQ(target(QPointF(-1, 24), true), (T{nullptr, 1}));
    // Below a last child the pointer's x picks how far out the gap lies.
    EXPECT_EQ(target(QPointF(100, 149), false), (T{choir, 2}));
    EXPECT_EQ(target(QPointF(10, 149), false), (T{voices, 2}));
    EXPECT_EQ(target(QPointF(-1, 149), false), (T{nullptr, 2}));
    // Nowhere near a row: the top level.
    EXPECT_EQ(target(QPointF(100, 240), true), (T{nullptr, -1}));
}

TEST_F(OutlineViewTest, DraggingShowsTheIndicatorsAskingTheDataSourceAndRefusalHidesThem) {
    EXPECT_EQ(dragOver(QPointF(100, 37)), Qt::MoveAction);
    ASSERT_GE(tree.proposals.size(), 2U);
    EXPECT_EQ(tree.proposals[0].item, voices);
    EXPECT_EQ(tree.proposals[0].childIndex, -1);
    // The row indicator first, then the line between rows.
    std::vector<KivOutlineRowHighlightView*> highlights(2);
    for (QWidget* child : view->findChildren<QWidget*>()) {
        if (auto* highlight = dynamic_cast<KivOutlineRowHighlightView*>(child)) {
            highlights[highlight->betweenRows() ? 1 : 0] = highlight;
        }
    }
    ASSERT_TRUE(highlights[0] && highlights[1]);
    EXPECT_TRUE(highlights[0]->isVisible());
    EXPECT_EQ(highlights[0]->geometry(), view->rectOfRow(1));
    EXPECT_FALSE(highlights[1]->isVisible());
    // A gap between Drums and Voices: the line lies on their boundary.
    EXPECT_EQ(dragOver(QPointF(100, 26)), Qt::MoveAction);
    EXPECT_TRUE(highlights[1]->isVisible());
    EXPECT_EQ(highlights[1]->geometry().center().y(), 25);
    tree.refuseAll = true;
    EXPECT_EQ(dragOver(QPointF(100, 37)), Qt::IgnoreAction);
    EXPECT_FALSE(highlights[0]->isVisible());
    EXPECT_FALSE(highlights[1]->isVisible());
}

TEST_F(OutlineViewTest, ADropGoesToTheTargetItWasShownForAndEndsTheDrag) {
    view->expandItem(voices);
    // Below Lead, between it and Choir.
    QDropEvent drop(QPointF(100, 63), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    view->dropEvent(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(tree.told,
              (std::vector<std::string>{"expand Voices", "drop into Voices at 1", "drag done"}));
    tree.refuseAll = true;
    QDropEvent refused(QPointF(100, 37), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    view->dropEvent(&refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(tree.told.back(), "drag done");
    EXPECT_EQ(tree.told.size(), 4U);
}

TEST_F(OutlineViewTest, HoveringADragOverACollapsedGroupExpandsItAfterAPause) {
    dragOver(QPointF(100, 37));
    clock.advance(0.3);
    dragOver(QPointF(100, 38));
    EXPECT_FALSE(view->entryForItem(voices)->expanded());
    clock.advance(0.1);
    dragOver(QPointF(100, 38));
    EXPECT_TRUE(view->entryForItem(voices)->expanded());
    EXPECT_EQ(tree.told, (std::vector<std::string>{"expand Voices"}));
    // Over a leaf nothing opens, however long.
    dragOver(QPointF(100, 62));
    clock.advance(1);
    dragOver(QPointF(100, 62));
    EXPECT_EQ(view->numberOfRows(), 5);
}

TEST_F(OutlineViewTest, TheDisclosureTriangleOfATextRowExpandsItsGroup) {
    view->setRowViewClass(KivOutlineTextRowView::rowClass(
        [](KivOutlineItem item) { return QString::fromStdString(OutlineTree::node(item)->name); }));
    ASSERT_EQ(view->rowView()->viewHeight(), 22.0);
    const QPointF triangle(4 + 7, 22 + 11);
    press(triangle);
    release(triangle);
    EXPECT_TRUE(view->entryForItem(voices)->expanded());
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(view->activeRowViews().empty());
    // A click beside the triangle selects the row.
    clickRow(0);
    EXPECT_EQ(selection(), Items{drums});
}

namespace {

struct CapturedLog : LogSink {
    std::vector<std::string> lines;
    void write(std::string_view line) override { lines.emplace_back(line); }
};

} // namespace

TEST_F(OutlineViewTest, ARowLayoutThatCannotBeMadeIsLoggedAndClicksThenDoNothing) {
    CapturedLog log;
    LogSink* previous = setLogSink(&log);
    view->setRowViewClass({QStringLiteral("BrokenRow"), [] { return nullptr; }});
    clickRow(1);
    view->editItem(voices, QStringLiteral("name"));
    setLogSink(previous);
    EXPECT_EQ(view->rowView(), nullptr);
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(view->activeRowViews().empty());
    // Once, and how many times more.
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"Error: Could not load row nib named 'BrokenRow'.",
                                        "last line repeated 2 more times"}));
}

TEST_F(OutlineViewTest, RowsAreDrawnInTheColoursSetAndRedrawnWhenOneChanges) {
    view->expandItem(drums);
    // Rows: Drums 0, Kick 1, Snare 2, Voices 3, Click 4.
    const QColor even(200, 0, 0);
    const QColor odd(0, 200, 0);
    const QColor line(0, 0, 200);
    const QColor topLine(200, 200, 0);
    const QColor selected(0, 200, 200);
    const QColor inactive(90, 90, 90);
    QCoreApplication::processEvents();
    view->painted.clear();
    view->setBackgroundColor(even);
    view->setAlternatingRowColor(odd);
    view->setSelectedColor(selected);
    view->setSelectedButNotMainColor(inactive);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->painted.empty()) << "a colour change redraws";
    EXPECT_EQ(view->backgroundColor(), even);
    EXPECT_EQ(view->alternatingRowColor(), odd);
    EXPECT_EQ(view->selectedColor(), selected);
    EXPECT_EQ(view->selectedButNotMainColor(), inactive);

    view->selectItem(snare);
    view->clearFocus();
    ASSERT_FALSE(view->hasFocus());
    QImage image = renderWidget(*view);
    EXPECT_EQ(image.pixelColor(5, 12), even);
    EXPECT_EQ(image.pixelColor(5, 37), odd);
    EXPECT_EQ(image.pixelColor(5, 62), inactive) << "selected while another view has the keys";
    EXPECT_EQ(image.pixelColor(5, 87), odd);
    EXPECT_EQ(image.pixelColor(5, 162), even) << "the empty rows below alternate too";
    EXPECT_EQ(image.pixelColor(5, 24), even) << "no dividing lines until a colour is set";

    view->setFocus();
    ASSERT_TRUE(view->hasFocus());
    image = renderWidget(*view);
    EXPECT_EQ(image.pixelColor(5, 62), selected) << "selected in the view with the keys";

    view->setDividingLineColor(line);
    view->setSecondDividingLineColor(topLine);
    EXPECT_EQ(view->dividingLineColor(), line);
    EXPECT_EQ(view->secondDividingLineColor(), topLine);
    image = renderWidget(*view);
    EXPECT_EQ(image.pixelColor(5, 24), line) << "row 0's bottom edge";
    EXPECT_EQ(image.pixelColor(5, 25), topLine) << "row 1's top edge";
    EXPECT_EQ(image.pixelColor(5, 12), even);
}

TEST_F(OutlineViewTest, RowsOfSpaceAtTheBottomLengthenTheViewAndNegativeCountsAreIgnored) {
    const int viewport = area.viewport()->height();
    EXPECT_EQ(view->rowsOfSpaceAtBottom(), 0);
    EXPECT_EQ(view->height(), viewport) << "three rows fill less than the area";
    view->setRowsOfSpaceAtBottom(20);
    EXPECT_EQ(view->rowsOfSpaceAtBottom(), 20);
    EXPECT_EQ(view->height(), (3 + 20) * 25);
    view->expandItem(drums);
    EXPECT_EQ(view->height(), (5 + 20) * 25) << "the space follows the rows";
    view->setRowsOfSpaceAtBottom(-1);
    EXPECT_EQ(view->rowsOfSpaceAtBottom(), 20);
    view->setRowsOfSpaceAtBottom(0);
    EXPECT_EQ(view->height(), viewport);
}

TEST_F(OutlineViewTest, ItemsAreFoundScrolledToAndAskedAboutByIdentity) {
    area.resize(300, 100);
    view->expandItem(voices, true);
    view->expandItem(drums);
    // Rows: Drums 0, Kick 1, Snare 2, Voices 3, Lead 4, Choir 5, Alto 6, Tenor 7, Click 8.
    ASSERT_EQ(view->numberOfRows(), 9);
    EXPECT_EQ(view->rectOfItem(alto), QRect(0, 150, view->width(), 25));
    EXPECT_EQ(view->rectOfItem(drums), view->rectOfRow(0));

    QScrollBar* bar = area.verticalScrollBar();
    const int visible = area.viewport()->height();
    view->scrollItemToVisible(click);
    EXPECT_EQ(bar->value(), 225 - visible) << "the last row at the bottom edge";
    view->scrollItemToVisible(tenor);
    EXPECT_EQ(bar->value(), 225 - visible) << "already visible: no scrolling";
    view->scrollItemToVisible(kick);
    EXPECT_EQ(bar->value(), 25) << "a row above comes in at the top edge";
    view->scrollItemToMiddle(alto);
    EXPECT_EQ(bar->value(), view->rectOfItem(alto).center().y() - visible / 2);

    view->selectItem(lead);
    EXPECT_TRUE(view->itemIsSelected(lead));
    EXPECT_FALSE(view->itemIsSelected(alto));
    EXPECT_FALSE(view->itemIsSelected(nullptr));

    view->collapseItem(voices);
    EXPECT_EQ(view->rectOfItem(alto), QRect()) << "hidden";
    const int before = bar->value();
    view->scrollItemToVisible(alto);
    view->scrollItemToMiddle(tenor);
    EXPECT_EQ(bar->value(), before) << "a hidden item scrolls nothing";
}

TEST_F(OutlineViewTest, RedrawingAnItemPaintsItsRowAndTheRowsBesideIt) {
    view->expandItem(drums);
    QCoreApplication::processEvents();
    view->painted.clear();

    view->redrawItemImmediately(kick);
    ASSERT_EQ(view->painted.size(), 1u) << "at once, without the event loop";
    EXPECT_EQ(view->painted[0], QRect(0, 0, view->width(), 75));

    view->painted.clear();
    view->redrawItem(snare);
    EXPECT_TRUE(view->painted.empty()) << "only marked";
    QCoreApplication::processEvents();
    ASSERT_EQ(view->painted.size(), 1u);
    EXPECT_EQ(view->painted[0], QRect(0, 25, view->width(), 75));

    view->painted.clear();
    view->redrawItem(alto);
    view->redrawItemImmediately(lead);
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->painted.empty()) << "hidden items draw nothing";
}
