#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <QPointer>
#include <QRect>

#include <vector>

class KivOutlineView;
class QAbstractScrollArea;
class QEvent;
class QObject;
class QWidget;

// Where the outline's rows lie and how the scroll area around the view shows
// them: rows as tall as the stamp row view, the view's size following its
// rows and the viewport, and scrolling a row into sight. GUI thread only.
class KivOutlineGeometry {
public:
    using Entry = KivOutlineViewEntry::Ptr;

    explicit KivOutlineGeometry(KivOutlineView& view);

    int rowsOfSpaceAtBottom() const { return _rowsOfSpaceAtBottom; }
    // False, changing nothing, for a negative count or the same one.
    bool setRowsOfSpaceAtBottom(int rows);

    qreal rowHeight() const;
    QRect rectOfRow(int row) const;
    int rowAtPoint(QPointF point) const;
    QRect visibleRect() const;
    bool showsAnyOf(const std::vector<Entry>& entries) const;

    // At least the viewport, and tall enough for the rows and the space below.
    void refreshViewSize();
    // One step of the scroll bar is one row.
    void refreshScrollStep();
    // The view watches its parent, the viewport, for resizes.
    void followParent();
    bool isParentResize(const QObject* watched, const QEvent* event) const;

    void scrollEntryToVisible(const Entry& entry);
    void scrollEntryToMiddle(const Entry& entry);

private:
    QAbstractScrollArea* scrollArea() const;
    void scrollToY(int y);

    KivOutlineView& _view;
    int _rowsOfSpaceAtBottom = 0;
    QPointer<QWidget> _watchedParent;
};
