#include "audio/source/KivReadAheadPool.h"
#include "model/AudioWaveform.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// An overview computed on real threads and the real read-ahead pool, let go
// of by its owner in the middle of its passes (run under ThreadSanitizer too).
namespace {

// Background work on threads of its own; the owner's work queued for the
// test's thread, which waits for it without polling.
class ThreadedExecutor final : public AudioWaveformExecutor {
public:
    void runInBackground(std::function<void()> work) override {
        std::lock_guard lock(_mutex);
        _threads.emplace_back(std::move(work));
    }
    void runOnOwner(double, std::function<void()> work) override {
        std::lock_guard lock(_mutex);
        _owner.push_back(std::move(work));
        _ownerWork.notify_one();
    }
    // Test thread: waits for the next owner's work and runs it.
    void runNextOnOwner() {
        std::unique_lock lock(_mutex);
        _ownerWork.wait(lock, [this] { return !_owner.empty(); });
        auto work = std::move(_owner.front());
        _owner.pop_front();
        lock.unlock();
        work();
    }
    // Test thread: joins every thread and runs the owner's work until none is left.
    void drain() {
        for (;;) {
            std::unique_lock lock(_mutex);
            if (!_threads.empty()) {
                auto threads = std::move(_threads);
                _threads.clear();
                lock.unlock();
                for (auto& thread : threads) {
                    thread.join();
                }
                continue;
            }
            if (_owner.empty()) {
                return;
            }
            auto work = std::move(_owner.front());
            _owner.pop_front();
            lock.unlock();
            work();
        }
    }

private:
    std::mutex _mutex;
    std::condition_variable _ownerWork;
    std::vector<std::thread> _threads;
    std::deque<std::function<void()>> _owner;
};

struct FakeView {
    int redraws = 0;
    float peak = 0.0f;
};

TEST(AudioWaveformThreadTest, ClosingTheViewMidPassStopsTheRedrawsAndFreesTheOverview) {
    AudioFixtures::TempFolder folder;
    const int rate = 44100;
    const std::string path = folder.path("long.wav");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                            AudioFixtures::signal(60 * rate, 2, rate), 2, rate));
    auto executor = std::make_shared<ThreadedExecutor>();
    auto view = std::make_unique<FakeView>();
    std::weak_ptr<AudioWaveform> watched;
    {
        auto waveform = AudioWaveform::create(
            KivAlias::aliasWithPath(path), AudioWaveform::kEditorFramesPerPoint, executor,
            [&view, &watched] {
                // Draws from the points computed so far.
                ++view->redraws;
                view->peak = watched.lock()->maxValueBetween(0.0, 60.0);
            });
        ASSERT_NE(waveform, nullptr);
        watched = waveform;
        while (view->redraws == 0) {
            executor->runNextOnOwner();
        }
        EXPECT_GT(view->peak, 0.0f);
        // What the view does as it closes.
        waveform->setLive(false);
    }
    // A redraw delivered from now on would reach a freed view.
    view.reset();
    executor->drain();
    EXPECT_TRUE(watched.expired());
}

TEST(AudioWaveformThreadTest, ALongFileIsComputedInSegmentsSideBySideWithoutSeamsOrGaps) {
    AudioFixtures::TempFolder folder;
    const int rate = 44100;
    const auto seconds = static_cast<std::size_t>(AudioWaveform::kSegmentedSeconds);
    // Each tenth of the file holds its own level: 0.05, 0.10, ... 0.50.
    std::vector<float> samples(seconds * rate);
    for (std::size_t f = 0; f < samples.size(); ++f) {
        samples[f] = 0.05f * float(1 + f * 10 / samples.size());
    }
    const std::string path = folder.path("segments.wav");
    ASSERT_TRUE(
        AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, rate));
    samples = {};
    auto executor = std::make_shared<ThreadedExecutor>();
    auto waveform = AudioWaveform::create(KivAlias::aliasWithPath(path),
                                          AudioWaveform::kEditorFramesPerPoint, executor, [] {});
    ASSERT_NE(waveform, nullptr);
    EXPECT_EQ(waveform->segmentCount(), KivReadAheadPool::kWorkers);
    // Past the most points, a coarser level.
    EXPECT_EQ(waveform->framesPerPoint(), 13.0);
    EXPECT_EQ(waveform->totalPoints(), (seconds * rate + 12) / 13);
    while (!waveform->isComplete()) {
        executor->runNextOnOwner();
    }
    EXPECT_EQ(waveform->validPoints(), waveform->totalPoints());
    for (std::size_t tenth = 0; tenth < 10; ++tenth) {
        const double start = double(tenth) * seconds / 10.0;
        EXPECT_FLOAT_EQ(waveform->maxValueBetween(start + 0.01, start + seconds / 10.0 - 0.01),
                        0.05f * float(tenth + 1))
            << tenth;
        EXPECT_FLOAT_EQ(waveform->minValueBetween(start + 0.01, start + seconds / 10.0 - 0.01),
                        0.0f)
            << tenth;
    }
    // Every point holds the file's level there, none is left at zero.
    for (std::uint32_t i = 0; i < waveform->totalPoints(); ++i) {
        ASSERT_GE(waveform->pointMin(i), 0.05f) << i;
    }
    waveform->setLive(false);
    waveform.reset();
    executor->drain();
}

} // namespace
