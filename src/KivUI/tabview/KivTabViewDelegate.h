#pragma once

class KivTabView;
class KivTabViewItem;

// What a tab view tells, and asks of, the object that fronts it. Every
// operation is optional: the defaults are what a tab view without a delegate
// does. GUI thread.
class KivTabViewDelegate {
public:
    virtual ~KivTabViewDelegate() = default;
    virtual bool tabViewShouldSelectTabViewItem(KivTabView&, KivTabViewItem&) { return true; }
    virtual void tabViewWillSelectTabViewItem(KivTabView&, KivTabViewItem&) {}
    // The item is null when the last item has gone.
    virtual void tabViewDidSelectTabViewItem(KivTabView&, KivTabViewItem*) {}
    virtual void tabViewDidChangeNumberOfTabViewItems(KivTabView&) {}
    virtual void tabViewItemLabelDidChange(KivTabView&, KivTabViewItem&) {}
    virtual void tabViewItemCountDidChange(KivTabView&, KivTabViewItem&) {}
};
