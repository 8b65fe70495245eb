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
