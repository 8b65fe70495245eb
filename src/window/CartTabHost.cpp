#include "window/CartTabHost.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

CartTabHost::CartTabHost(QWidget* parent)
    : QWidget(parent)
    , _bar(new QTabBar(this))
    , _pages(new QStackedWidget(this)) {
    _bar->setObjectName(QStringLiteral("tabBar"));
    _pages->setObjectName(QStringLiteral("tabView"));
    _bar->setDocumentMode(true);
    _bar->setExpanding(false);
    _bar->setDrawBase(false);
    _bar->setStyleSheet(QStringLiteral(
        "QTabBar::tab { background: #2a2828; color: #bbbbbb; padding: 4px 18px; min-width: 100px;"
        " max-width: 200px; border: 1px solid #1a1a1a; border-bottom: none; }"
        "QTabBar::tab:selected { background: #3c3b3b; color: white; }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(_bar);
    layout->addWidget(_pages, 1);
    _bar->hide();
    connect(_bar, &QTabBar::currentChanged, this, [this](int index) {
        _pages->setCurrentIndex(index);
        if (_changed) {
            _changed(index);
        }
    });
}

void CartTabHost::addTab(QWidget* page, const QString& label) {
    _pages->addWidget(page);
    _bar->addTab(label);
    _bar->setVisible(_bar->count() > 1);
}

int CartTabHost::count() const {
    return _bar->count();
}

int CartTabHost::currentIndex() const {
    return _bar->currentIndex();
}

void CartTabHost::setCurrentIndex(int index) {
    if (index >= 0 && index < count()) {
        _bar->setCurrentIndex(index);
    }
}

void CartTabHost::setTabLabel(int index, const QString& label) {
    _bar->setTabText(index, label);
}

QWidget* CartTabHost::page(int index) const {
    return _pages->widget(index);
}

void CartTabHost::removeTab(int index) {
    QWidget* removed = page(index);
    if (!removed) {
        return;
    }
    // The page leaves the stack first, so the bar's new selection names the
    // same page in both.
    _pages->removeWidget(removed);
    _bar->removeTab(index);
    _bar->setVisible(_bar->count() > 1);
}

void CartTabHost::moveTab(int from, int to) {
    QWidget* moved = page(from);
    if (!moved || to < 0 || to >= count() || to == from) {
        return;
    }
    _pages->removeWidget(moved);
    _pages->insertWidget(to, moved);
    _bar->moveTab(from, to);
    _pages->setCurrentIndex(_bar->currentIndex());
}

void CartTabHost::setSelectionChanged(std::function<void(int)> changed) {
    _changed = std::move(changed);
}

QWidget* CartTabHost::currentPage() const {
    return _pages->currentWidget();
}
