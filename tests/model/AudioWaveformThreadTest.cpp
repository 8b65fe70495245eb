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
        auto waveform = AudioWaveform::create(KivAlias::aliasWithPath(path),
                                              AudioWaveform::kEditorFramesPerPoint, executor,
                                              [&view] { ++view->redraws; });
        ASSERT_NE(waveform, nullptr);
        watched = waveform;
        while (view->redraws == 0) {
            executor->runNextOnOwner();
        }
        // What the view does as it closes.
        waveform->setLive(false);
    }
    // A redraw delivered from now on would reach a freed view.
    view.reset();
    executor->drain();
    EXPECT_TRUE(watched.expired());
}

} // namespace
