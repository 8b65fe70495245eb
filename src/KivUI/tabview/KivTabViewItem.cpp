#include "KivUI/tabview/KivTabViewItem.h"

#include "KivUI/tabview/KivTabView.h"

KivTabViewItem::KivTabViewItem(QVariant identifier, QString label, QWidget* view)
    : _identifier(std::move(identifier))
    , _label(std::move(label))
    , _view(view) {}

void KivTabViewItem::setLabel(const QString& label) {
    if (label == _label) {
        return;
    }
    _label = label;
    if (_tabView) {
        _tabView->itemLabelDidChange(*this);
    }
}

void KivTabViewItem::setObjectCount(int count, const QColor& color) {
    if (count == _objectCount && color == _countColor) {
        return;
    }
    _objectCount = count;
    _countColor = color;
    if (_tabView) {
        _tabView->itemCountDidChange(*this);
    }
}
