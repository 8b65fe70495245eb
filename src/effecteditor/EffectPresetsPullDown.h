#pragma once

#include "KivUI/controls/VornPopUpButton.h"

#include <QMenu>

// The skinned pull-down titled "Presets" whose list is a menu with submenus.
class EffectPresetsPullDown final : public VornPopUpButton {
public:
    explicit EffectPresetsPullDown(QWidget* parent = nullptr);

    QMenu* menu() const { return _menu; }
    void showPopup() override;

private:
    QMenu* _menu;
};
