#pragma once

#include <string>

// What saving shows while it runs: the window's progress sheet. Main thread.
class SaveProgress {
public:
    virtual void beginProgress(const std::string& text) = 0;
    virtual void endProgress() = 0;

protected:
    ~SaveProgress() = default;
};
