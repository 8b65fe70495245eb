#pragma once

#include "KivUI/ScriptedPrompts.h"
#include "KivUI/services/UserDefaults.h"
#include "crashreporter/ZorCrashReporter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

// User defaults in a folder of their own, scripted prompts, and $EMAIL set
// for the test and put back after it.
class ReporterFixture : public ::testing::Test {
protected:
    ReporterFixture() {
        if (const char* email = std::getenv("EMAIL")) {
            _savedEmail = email;
        }
        ::setenv("EMAIL", "sound@example.org", 1);
        QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    }
    ~ReporterFixture() override {
        if (_savedEmail) {
            ::setenv("EMAIL", _savedEmail->c_str(), 1);
        } else {
            ::unsetenv("EMAIL");
        }
    }

    // Runs the deletions a closed window left behind.
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir folder;
    UserDefaults defaults{folder.filePath(QStringLiteral("defaults.ini"))};
    ScriptedPrompts prompts;

private:
    std::optional<std::string> _savedEmail;
};
