// An outline with groups open and folded, two rows selected and a drop line
// showing, drawn to the gallery at 1x and 2x.
#include "KivUI/OutlineTree.h"
#include "KivUI/controls/VornScrollView.h"
#include "KivUI/outline/KivOutlineTextRowView.h"
#include "KivUI/outline/KivOutlineView.h"
#include "support/Gallery.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragMoveEvent>
#include <QMimeData>

namespace {

// Shows a drop indicator without a real drag.
class DropOutlineView : public KivOutlineView {
public:
    using KivOutlineView::dragMoveEvent;
};

} // namespace

TEST(WidgetKitGallery, AnOutlineWithExpandedAndCollapsedGroupsAndADropLine) {
    OutlineTree tree;
    OutlineNode* factory = tree.root.add("Factory", true);
    factory->add("Small Room");
    factory->add("Large Hall");
    OutlineNode* system = tree.root.add("System", true);
    OutlineNode* theatre = system->add("Theatre", true);
    theatre->add("Stage Left");
    theatre->add("Stage Right");
    system->add("Voice Over", true)->add("Booth");
    OutlineNode* user = tree.root.add("User", true);
    OutlineNode* live = user->add("Live", true);
    live->add("Live_Hall");
    live->add("Matinee");
    user->add("Rehearsal");
    user->add("Thunder Tail");
    tree.root.add("Empty Group", true);
    tree.startExpanded = {system, theatre, user, live};

    VornScrollView area;
    area.resize(300, 340);
    auto* view = new DropOutlineView;
    view->setRowViewClass(KivOutlineTextRowView::rowClass(
        [](KivOutlineItem item) { return QString::fromStdString(OutlineTree::node(item)->name); }));
    area.setWidget(view);
    area.show();
    view->setDataSource(&tree);
    view->setAllowsMultipleSelection(true);
    view->selectItems({live->children[0].get(), live->children[1].get()});
    view->setFocus();
    QApplication::setActiveWindow(&area);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->numberOfRows(), 13);
    // Into "User", between "Rehearsal" and "Thunder Tail".
    QMimeData dragged;
    QDragMoveEvent move(QPoint(150, 11 * 22 + 3), Qt::MoveAction, &dragged, Qt::LeftButton,
                        Qt::NoModifier);
    view->dragMoveEvent(&move);
    EXPECT_TRUE(move.isAccepted());
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = galleryCanvas(area.size(), ratio);
        area.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QString file = QStringLiteral("outline@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}
