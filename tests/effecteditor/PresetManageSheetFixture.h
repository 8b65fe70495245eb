#pragma once

#include "KivUI/ScriptedPrompts.h"
#include "effecteditor/KivEffectPresetManageSheet.h"
#include "effecteditor/KivEffectUserPresetGroup.h"
#include "effecteditor/PresetFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <functional>
#include <string>

// System: Hall. User: Bright, Live/Stage, Warm.
class PresetManageSheetTest : public ::testing::Test {
protected:
    PresetManageSheetTest() {
        hall = folder.write("system/Hall.aupreset", "{\"hall\":1}");
        bright = folder.write("user/Bright.aupreset", "{\"bright\":1}");
        stage = folder.write("user/Live/Stage.aupreset");
        warm = folder.write("user/Warm.aupreset", "{\"warm\":1}");
        window.resize(520, 420);
        window.show();
        // The editor reads on a worker; here the folders are read at once.
        sheet.readFolders = [this](std::function<void()> done) {
            ++reads;
            system.refresh();
            user.refresh();
            done();
        };
        sheet.begin();
        // Every change below reads the folders once more.
        reads = 0;
    }

    KivOutlineView& table() { return *sheet.table(); }
    KivOutlineItem item(const std::string& path) { return sheet.itemForPath(path); }
    void mouse(QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, table().mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&table(), &event);
    }

    PresetFolder folder{"preset-manage"};
    KivEffectUserPresetGroup system{folder.path("system"), "System Presets"};
    KivEffectUserPresetGroup user{folder.path("user"), "User Presets"};
    ScriptedPrompts prompts;
    QWidget window;
    KivEffectPresetManageSheet sheet{&window, system, user, prompts};
    std::string hall, bright, stage, warm;
    int reads = 0;
};
