#pragma once

#include "app/Pondra.h"
#include "foundation/KivEnvironment.h"
#include "platform/midi/FakeMidiSequencer.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// A headless application whose user defaults and data folder (where the
// launch looks for crash logs) live in a folder of their own and whose MIDI
// comes from fakes.
class PondraFixture : public ::testing::Test {
protected:
    PondraFixture() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
        _savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", folder.path().toUtf8());
    }
    ~PondraFixture() override {
        KivEnvironment::setLogLevel(0);
        if (_savedDataHome.isNull()) {
            qunsetenv("XDG_DATA_HOME");
        } else {
            qputenv("XDG_DATA_HOME", _savedDataHome);
        }
    }

    std::unique_ptr<QSettings> defaults() const {
        return std::make_unique<QSettings>(Pondra::kOrganizationName, Pondra::kApplicationName);
    }
    std::unique_ptr<Pondra> makeApplication() {
        return std::make_unique<Pondra>(argc, argv, midi.factory());
    }

    QTemporaryDir folder;
    CapturingLogSink log;
    FakeMidiSystem midi;

private:
    QByteArray _savedDataHome;
    int argc = 1;
    char name[18] = "pondra_app_tests";
    char* argv[2] = {name, nullptr};
};
