#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

// Runs `open`, which opens the FIFO at `fifo`, on a thread of its own. True
// when it returns by itself; when it is still waiting for a writer after a
// few seconds, the FIFO gets one so the call ends, and the answer is false:
// the test fails instead of hanging.
template <typename Open>
bool returnsWithoutAWriter(const std::string& fifo, Open open) {
    std::future<void> done = std::async(std::launch::async, open);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        return true;
    }
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (writer >= 0) {
        ::close(writer);
    }
    done.wait();
    return false;
}
