#pragma once

#include "KivUI/services/UserDefaults.h"
#include "app/Pondra.h"
#include "foundation/KivEnvironment.h"
#include "platform/midi/FakeMidiSequencer.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

// A headless application whose user defaults and data folder (where the
// launch looks for crash logs) live in a folder of their own and whose MIDI
// comes from fakes.
class PondraFixture : public ::testing::Test {
protected:
    PondraFixture() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        _savedDataHome = qgetenv("XDG_DATA_HOME");
        _savedConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", folder.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    }
    ~PondraFixture() override {
        KivEnvironment::setLogLevel(0);
        restore("XDG_DATA_HOME", _savedDataHome);
        restore("XDG_CONFIG_HOME", _savedConfigHome);
    }

    // The defaults as a new launch reads them; written when it goes.
    std::unique_ptr<UserDefaults> defaults() const {
        return std::make_unique<UserDefaults>(
            UserDefaults::standardPath(Pondra::kOrganizationName, Pondra::kApplicationName));
    }
    std::unique_ptr<Pondra> makeApplication() {
        return std::make_unique<Pondra>(argc, argv, midi.factory());
    }

    QTemporaryDir folder;
    CapturingLogSink log;
    FakeMidiSystem midi;

private:
    static void restore(const char* name, const QByteArray& saved) {
        if (saved.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, saved);
        }
    }

    QByteArray _savedDataHome;
    QByteArray _savedConfigHome;
    int argc = 1;
    char name[18] = "pondra_app_tests";
    char* argv[2] = {name, nullptr};
};
