#pragma once

#include "app/Pondra.h"
#include "foundation/KivEnvironment.h"
#include "platform/midi/FakeMidiSequencer.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// A headless application whose user defaults live in a folder of their own
// and whose MIDI comes from fakes.
class PondraFixture : public ::testing::Test {
protected:
    PondraFixture() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    }
    ~PondraFixture() override { KivEnvironment::setLogLevel(0); }

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
    int argc = 1;
    char name[18] = "pondra_app_tests";
    char* argv[2] = {name, nullptr};
};
