#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <QPointF>
#include <QPointer>

class KivOutlineDragAndDrop;
class KivOutlineRowView;
class KivOutlineSelection;
class KivOutlineTree;
class KivOutlineView;
class QKeyEvent;
class QMouseEvent;
class QWidget;

// The outline's mouse and keys: a click selects, toggles or extends; a
// control in a row follows the mouse until the button is up; a press that
// moves far enough drags the rows out; arrows move the selection and open and
// close groups. GUI thread only.
class KivOutlineInput {
public:
    using Entry = KivOutlineViewEntry::Ptr;

    KivOutlineInput(KivOutlineView& view, KivOutlineTree& tree,
                    const KivOutlineSelection& selection, KivOutlineDragAndDrop& drag);

    // False for a key the outline leaves to its parent.
    bool keyPress(QKeyEvent* event);
    // Left button only.
    void mouseDown(QMouseEvent* event, bool doubleClick);
    void mouseMove(QMouseEvent* event);
    // False for a release the outline leaves to its parent.
    bool mouseUp(QMouseEvent* event);
    // The entry pressed on belongs to a tree that is gone.
    void forgetPress() { _pressedEntry.reset(); }

private:
    void selectionClick(QMouseEvent* event, bool doubleClick);

    KivOutlineView& _view;
    KivOutlineTree& _tree;
    const KivOutlineSelection& _selection;
    KivOutlineDragAndDrop& _drag;
    bool _shouldSelectJustLastClicked = false;
    QPointF _pressedAt;
    bool _pressWasDoubleClick = false;
    Entry _pressedEntry;
    // A control in a live row that follows the mouse until the button is up.
    QPointer<QWidget> _trackingControl;
    QPointer<KivOutlineRowView> _trackingRow;
};
