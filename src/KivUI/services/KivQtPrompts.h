#pragma once

#include "KivUI/services/KivPrompts.h"

// The prompts on screen: QMessageBox alerts, sheets as window-modal message
// boxes, QFileDialog panels and the system beep.
class KivQtPrompts : public KivPrompts {
public:
    int runAlert(const KivAlert& alert) override;
    void beginSheet(QWidget* window, const KivAlert& alert, std::function<void(int)> done) override;
    void endSheet(QWidget* window, int answer) override;
    void beep() override;
    QStringList runOpenPanel(const KivOpenPanelOptions& options) override;
    QString runSavePanel(const KivSavePanelOptions& options) override;
};
