#include "KivUI/controls/VornSplitView.h"

#include "KivUI/controls/VornSplitterHandle.h"

VornSplitView::VornSplitView(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent)
    , _plainThickness(handleWidth()) {
    setChildrenCollapsible(false);
    applyThickness();
}

void VornSplitView::setPaneSplitter(bool paneSplitter) {
    _paneSplitter = paneSplitter;
    applyThickness();
}

bool VornSplitView::drawsSkinnedDivider() const {
    return _paneSplitter && orientation() == Qt::Vertical;
}

int VornSplitView::dividerThickness() const {
    return drawsSkinnedDivider() ? kPaneSplitterThickness : _plainThickness;
}

void VornSplitView::applyThickness() {
    setHandleWidth(dividerThickness());
}

QSplitterHandle* VornSplitView::createHandle() {
    return new VornSplitterHandle(orientation(), this);
}
