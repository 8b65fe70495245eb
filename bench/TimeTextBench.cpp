#include "foundation/KivNSString.h"

#include <benchmark/benchmark.h>

static void FormatSeconds(benchmark::State& state) {
    const int places = static_cast<int>(state.range(0));
    double seconds = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            KivNSString::stringByFormattingSeconds(seconds, places, true, false));
        seconds += 0.37;
        if (seconds > 40000.0) {
            seconds = -seconds;
        }
    }
}
BENCHMARK(FormatSeconds)->Arg(0)->Arg(2)->Arg(3);

static void ParseTimeText(benchmark::State& state) {
    const char* texts[] = {"01:05.50", "-00:10", "1:02:05.125", "90", "8760:00:00.00"};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KivNSString::secondsFromFormattedString(texts[i++ % 5]));
    }
}
BENCHMARK(ParseTimeText);
