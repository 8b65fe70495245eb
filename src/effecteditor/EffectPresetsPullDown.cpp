#include "effecteditor/EffectPresetsPullDown.h"

EffectPresetsPullDown::EffectPresetsPullDown(QWidget* parent)
    : VornPopUpButton(parent)
    , _menu(new QMenu(this)) {
    setPullsDown(true);
    addItem(QStringLiteral("Presets"));
    connect(_menu, &QMenu::aboutToHide, this, [this] { setHighlighted(false); });
}

void EffectPresetsPullDown::showPopup() {
    setHighlighted(true);
    _menu->popup(mapToGlobal(QPoint(0, height())));
}
