#pragma once

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

// A measurement of what a JACK server carried, taken again when the server
// reported a cycle late while it ran. A late cycle is the machine's, not the
// program's: it can cut a client's callback short, so that one channel of a
// period holds what was rendered and the other not yet. `take` acts,
// records and checks with EXPECT and ASSERT; `lateCycles` counts the cycles
// the server has reported late so far. A take that passes counts, and so
// does one that fails with no late cycle in it; one that fails across a late
// cycle is thrown away and taken again, after `again` (which brings the
// program back to where a take starts), at most `takes` times in all. The
// last take's failures are reported as they happened, with the late cycles
// they spanned.
//
//     cleanTake([&] { return recorder.lateCycles(); }, [&] {
//         const std::size_t from = recorder.recorded.load();
//         play();
//         ASSERT_TRUE(recorder.waitForFrames(from + 4096));
//         EXPECT_EQ(recorder.firstSound(0, from), recorder.firstSound(1, from));
//     }, [&] { stop(); });
inline void cleanTake(const std::function<std::size_t()>& lateCycles,
                      const std::function<void()>& take, const std::function<void()>& again = {},
                      int takes = 3) {
    for (int n = 1;; ++n) {
        const std::size_t before = lateCycles();
        ::testing::TestPartResultArray results;
        {
            const ::testing::ScopedFakeTestPartResultReporter intercept(
                ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD,
                &results);
            take();
        }
        const std::size_t late = lateCycles() - before;
        bool failed = false;
        for (int i = 0; i < results.size(); ++i) {
            failed = failed || results.GetTestPartResult(i).failed();
        }
        if (failed && late > 0 && n < takes) {
            std::printf("Take %d of %d failed across %zu cycles the server reported late; "
                        "measuring again\n",
                        n, takes, late);
            if (again) {
                again();
            }
            continue;
        }
        const std::string across =
            late > 0 ? "\n(take " + std::to_string(n) + " of " + std::to_string(takes) +
                           ", across " + std::to_string(late) + " cycles the server reported late)"
                     : std::string();
        for (int i = 0; i < results.size(); ++i) {
            const ::testing::TestPartResult& result = results.GetTestPartResult(i);
            GTEST_MESSAGE_AT_(
                result.file_name(), result.line_number(),
                (std::string(result.message()) + (result.failed() ? across : "")).c_str(),
                result.type());
        }
        return;
    }
}
