#include "KivUI/outline/KivOutlineLiveRows.h"

#include "KivUI/outline/KivOutlineView.h"
#include "foundation/KivLog.h"

#include <algorithm>

KivOutlineLiveRows::KivOutlineLiveRows(KivOutlineView& view)
    : _view(view) {}

KivOutlineRowView* KivOutlineLiveRows::viewForRow(int row) const {
    const auto found =
        std::find_if(_views.begin(), _views.end(), [row](const KivOutlineRowView* view) {
            return view->entry() && view->entry()->index() == row;
        });
    return found == _views.end() ? nullptr : *found;
}

KivOutlineRowView* KivOutlineLiveRows::make(const Entry& entry, bool locked,
                                            const QColor& background) {
    const KivOutlineRowClass& rowClass = _view.rowViewClass();
    KivOutlineRowView* view = rowClass.make ? rowClass.make() : nullptr;
    if (!view) {
        logFormat("Error: Could not load row nib named '%s'.",
                  rowClass.nibName.toUtf8().constData());
        return nullptr;
    }
    const int row = entry->index();
    view->setParent(&_view);
    view->setOutlineView(&_view);
    view->setRowIndex(row);
    view->setGeometry(_view.rectOfRow(row));
    view->setBackgroundColor(background);
    view->setEntry(entry);
    view->setDrawingFlipped(false);
    view->setLockedActive(locked);
    _views.push_back(view);
    view->show();
    return view;
}

void KivOutlineLiveRows::cleanUp() {
    std::vector<KivOutlineRowView*> kept;
    for (KivOutlineRowView* view : _views) {
        const int row = view->entry() ? view->entry()->index() : -1;
        if (view->isActive() && row >= 0) {
            view->setRowIndex(row);
            view->setGeometry(_view.rectOfRow(row));
            kept.push_back(view);
        } else {
            _view.update(view->geometry());
            view->hide();
            view->deleteLater();
        }
    }
    _views = std::move(kept);
}

void KivOutlineLiveRows::abortEditing() {
    for (KivOutlineRowView* view : _views) {
        view->abortEditing();
    }
}
