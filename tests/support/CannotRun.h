#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Whether every test must run: in CI (CI=true in the environment) a test
// that cannot run on the machine is a fault of the machine's set-up.
inline bool everyTestMustRun() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && (std::string(ci) == "true" || std::string(ci) == "1");
}

// A test that cannot run here (a program, a package or a service missing):
// skipped with the reason, but failed where every test must run. The caller
// returns right after it.
inline void cannotRun(const std::string& why) {
    if (everyTestMustRun()) {
        FAIL() << why << "\nIn CI (CI=true) every test must run.";
    }
    GTEST_SKIP() << why;
}
