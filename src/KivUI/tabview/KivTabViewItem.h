#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

class KivTabView;

// One page of a tab view: an identifier that its owner chooses, the label
// its tab shows and the view shown while it is selected. GUI thread only.
class KivTabViewItem {
public:
    KivTabViewItem(QVariant identifier, QString label, QWidget* view);

    const QVariant& identifier() const { return _identifier; }
    const QString& label() const { return _label; }
    // Tells the tab view's delegate, so the tab follows.
    void setLabel(const QString& label);
    // A count the tab shows in a capsule of its colour (invalid: the tab's
    // own), none at 0. Tells the tab view's delegate, so the tab follows.
    int objectCount() const { return _objectCount; }
    const QColor& countColor() const { return _countColor; }
    void setObjectCount(int count, const QColor& color = {});
    QWidget* view() const { return _view; }
    // Null while the item is in no tab view.
    KivTabView* tabView() const { return _tabView; }

private:
    friend class KivTabView;

    QVariant _identifier;
    QString _label;
    int _objectCount = 0;
    QColor _countColor;
    QPointer<QWidget> _view;
    KivTabView* _tabView = nullptr;
};
