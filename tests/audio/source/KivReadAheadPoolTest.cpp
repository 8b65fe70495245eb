#include "audio/source/KivReadAheadPool.h"

#include "audio/MetaBufferFixture.h"

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <semaphore>

// The shared read-ahead pool: a fixed set of workers for every task, each
// task on one worker at a time, no post lost. Waits are on semaphores the
// steps release, never on time.
namespace {

std::size_t threadCount() {
    std::size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) {
            count += entry->d_name[0] != '.';
        }
        closedir(tasks);
    }
    return count;
}

// Counts its steps and releases `done` after each; a step may post the task
// again, up to `reposts` times in all.
class CountingTask final : public KivReadAheadTask {
public:
    CountingTask(KivReadAheadPool& pool, std::counting_semaphore<>& done, int reposts = 0)
        : _pool(pool)
        , _done(done)
        , _reposts(reposts) {}
    int steps() const { return _steps.load(); }
    bool overlapped() const { return _overlapped.load(); }
    void post() { _pool.post(*this); }

private:
    void runStep() override {
        if (_inside.exchange(true)) {
            _overlapped = true;
        }
        ++_steps;
        const bool again = _reposts-- > 0;
        _inside = false;
        if (again) {
            post();
        }
        _done.release();
    }

    KivReadAheadPool& _pool;
    std::counting_semaphore<>& _done;
    std::atomic<int> _reposts;
    std::atomic<int> _steps{0};
    std::atomic<bool> _inside{false};
    std::atomic<bool> _overlapped{false};
};

TEST(KivReadAheadPoolTest, AFixedSetOfWorkersRunsEveryTaskPostedAndNoneTwiceAtOnce) {
    const std::size_t before = threadCount();
    std::counting_semaphore<> done(0);
    KivReadAheadPool pool(2);
    EXPECT_EQ(pool.workerCount(), 2u);
    EXPECT_EQ(threadCount(), before + 2);
    std::vector<std::unique_ptr<CountingTask>> tasks;
    for (int i = 0; i < 200; ++i) {
        tasks.push_back(std::make_unique<CountingTask>(pool, done, 3));
        pool.add(*tasks.back());
    }
    EXPECT_EQ(threadCount(), before + 2);
    for (auto& task : tasks) {
        task->post();
    }
    // Each task runs its first step and the three it posts itself.
    for (int i = 0; i < 200 * 4; ++i) {
        done.acquire();
    }
    for (auto& task : tasks) {
        pool.remove(*task);
        EXPECT_EQ(task->steps(), 4);
        EXPECT_FALSE(task->overlapped());
    }
}

TEST(KivReadAheadPoolTest, APostBeforeAddingRunsOnceAddedAndNoneAfterRemoving) {
    std::counting_semaphore<> done(0);
    KivReadAheadPool pool(1);
    CountingTask task(pool, done);
    task.post();
    task.post(); // while queued: the same post
    pool.add(task);
    done.acquire();
    EXPECT_EQ(task.steps(), 1);
    pool.remove(task);
    pool.remove(task);
    task.post();
    // A task added after it shows that the worker went on without it.
    CountingTask later(pool, done);
    pool.add(later);
    later.post();
    done.acquire();
    EXPECT_EQ(later.steps(), 1);
    EXPECT_EQ(task.steps(), 1);
    pool.remove(later);
}

// Notes its number in a shared order when it runs; the first may wait at a
// gate, holding the pool's only worker.
class OrderedTask final : public KivReadAheadTask {
public:
    OrderedTask(int number, std::vector<int>& order, std::mutex& mutex,
                std::counting_semaphore<>& done, std::counting_semaphore<>* gate = nullptr)
        : _number(number)
        , _order(order)
        , _mutex(mutex)
        , _done(done)
        , _gate(gate) {}

private:
    void runStep() override {
        if (_gate) {
            _gate->acquire();
        }
        {
            std::lock_guard lock(_mutex);
            _order.push_back(_number);
        }
        _done.release();
    }

    int _number;
    std::vector<int>& _order;
    std::mutex& _mutex;
    std::counting_semaphore<>& _done;
    std::counting_semaphore<>* _gate;
};

TEST(KivReadAheadPoolTest, UrgentPostsRunBeforeTasksThatAreOnlyQueued) {
    std::vector<int> order;
    std::mutex mutex;
    std::counting_semaphore<> done(0);
    std::counting_semaphore<> gate(0);
    KivReadAheadPool pool(1);
    std::vector<std::unique_ptr<OrderedTask>> tasks;
    tasks.push_back(std::make_unique<OrderedTask>(0, order, mutex, done, &gate));
    for (int i = 1; i <= 6; ++i) {
        tasks.push_back(std::make_unique<OrderedTask>(i, order, mutex, done));
    }
    for (auto& task : tasks) {
        pool.add(*task);
    }
    // Task 0 holds the worker until every other post is in.
    pool.post(*tasks[0]);
    for (int i = 1; i <= 5; ++i) {
        pool.post(*tasks[i]);
    }
    pool.post(*tasks[6], true);
    gate.release();
    for (int i = 0; i < 7; ++i) {
        done.acquire();
    }
    for (auto& task : tasks) {
        pool.remove(*task);
    }
    ASSERT_EQ(order.size(), 7u);
    // Task 0 may have been taken before or after the others were posted;
    // either way the urgent one comes before every other that waited.
    const auto urgent = std::find(order.begin(), order.end(), 6) - order.begin();
    const auto first = std::find(order.begin(), order.end(), 0) - order.begin();
    EXPECT_EQ(urgent, first == 0 ? 1 : 0);
}

class KivReadAheadLoadTest : public MetaBufferFixture {};

TEST_F(KivReadAheadLoadTest, LoadedMetaBuffersCostNoThreadEach) {
    auto alias = ramp(kRate);
    const KivAudioStreamDescription format(kRate, 1);
    const std::size_t before = threadCount();
    std::vector<std::unique_ptr<KivAudioMetaBuffer>> loaded;
    for (int i = 0; i < 50; ++i) {
        loaded.push_back(KivAudioMetaBuffer::create(alias, &format));
        ASSERT_NE(loaded.back(), nullptr);
        ASSERT_TRUE(loaded.back()->setSlices(list(slice(0.0, 0.5, -1))));
        loaded.back()->goToTime(0);
    }
    // At most the shared pool's workers, started by the first of them.
    EXPECT_LE(threadCount(), before + 4);
    loaded.clear();
}

} // namespace
