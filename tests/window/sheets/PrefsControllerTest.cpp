// The preferences window's log level.
#include "window/sheets/PrefsController.h"

#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/services/UserDefaults.h"
#include "foundation/KivEnvironment.h"
#include "support/Outlet.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

TEST(PrefsController, ShowsTheStoredLogLevelAndAChoiceIsStoredAndApplied) {
    QTemporaryDir folder;
    UserDefaults defaults(folder.filePath(QStringLiteral("prefs.ini")));
    defaults.setValue(QStringLiteral("LogLevel"), 3);
    PrefsController prefs(defaults);
    EXPECT_EQ(outlet<VornPopUpButton>(&prefs, "logLevelButton")->currentData().toInt(), 3);

    prefs.setLogLevel(1);
    EXPECT_EQ(defaults.value(QStringLiteral("LogLevel")).toInt(), 1);
    EXPECT_EQ(KivEnvironment::logLevel(), 1);
    KivEnvironment::setLogLevel(0);

    prefs.show();
    prefs.move(40, 50);
    prefs.done();
    EXPECT_FALSE(defaults.value(QStringLiteral("PrefsController")).toByteArray().isEmpty());
}
