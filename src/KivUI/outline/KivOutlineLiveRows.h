#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <QColor>

#include <vector>

class KivOutlineRowView;
class KivOutlineView;

// The row views made live, as children of the outline, for rows whose
// controls are in use; the stamp draws every other row. A live view goes once
// it is neither active nor showing a row. GUI thread only.
class KivOutlineLiveRows {
public:
    using Entry = KivOutlineViewEntry::Ptr;

    explicit KivOutlineLiveRows(KivOutlineView& view);

    const std::vector<KivOutlineRowView*>& views() const { return _views; }
    KivOutlineRowView* viewForRow(int row) const;
    // Of the view's row class, on entry's row; null, logged, when the class
    // makes none.
    KivOutlineRowView* make(const Entry& entry, bool locked, const QColor& background);
    // Moves the kept views onto their rows and lets the others go.
    void cleanUp();
    void abortEditing();

private:
    KivOutlineView& _view;
    std::vector<KivOutlineRowView*> _views;
};
