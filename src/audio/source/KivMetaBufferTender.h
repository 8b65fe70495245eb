#pragma once

#include "audio/core/KivAudioStreamDescription.h"
#include "audio/render/KivRetireList.h"
#include "audio/source/KivMetaBufferHandOver.h"
#include "audio/source/KivReadAheadPool.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

class KivAlias;

// A meta buffer's tend step: makes the read-ahead buffers asked for and hands
// them over to the render thread, one atomic pointer per buffer slot, and
// frees what the render thread retired. It runs as a task in the shared
// read-ahead pool or, in manual mode, on the test's thread.
//
// Requests come from the render thread, which publishes them without a lock,
// or, for a state handed over that it has not taken yet, from the owner.
class KivMetaBufferTender final : private KivReadAheadTask {
public:
    static constexpr std::uint32_t kBufferFrames = 22050;

    // Owner's thread. `retired` (kept, not owned) is what the render thread
    // lets go of. With `manual` no pool runs the steps.
    KivMetaBufferTender(std::shared_ptr<KivAlias> alias, const KivAudioStreamDescription& format,
                        double fileRate, bool manual, KivRetireList& retired);
    // Owner's thread, once nothing reads.
    ~KivMetaBufferTender();
    KivMetaBufferTender(const KivMetaBufferTender&) = delete;
    KivMetaBufferTender& operator=(const KivMetaBufferTender&) = delete;

    bool manual() const { return _manual; }

    // Owner's thread: the steps run in the pool from now on, starting soon.
    void startWorker();
    // Owner's thread: out of the pool, once no step runs; later calls do nothing.
    void killWorker();
    // Any thread, the render thread included: a step runs soon; an urgent one
    // (playback waits for a buffer) before the steps of idle cues.
    void wake(bool urgent = false);

    // Pool worker, or the manual caller: one step. Answers true when the
    // requests changed while it made buffers, so the step must run again.
    bool tendOnce();
    // Manual caller: one fill step of the buffer waiting in `slot`.
    void fillOnce(std::size_t slot);

    // Owner's thread: the buffers the state `generation` handed over asks for.
    void ask(std::uint64_t generation, const KivMetaBufferWant wants[2]);
    // Render thread: the buffers the state `generation` it plays asks for.
    void publish(std::uint64_t generation, const KivMetaBufferWant wants[2]);
    // Render thread: the buffer handed over in `slot`, if any, now its own.
    KivMetaBufferDelivery* take(std::size_t slot) {
        return _delivered[slot].exchange(nullptr, std::memory_order_acq_rel);
    }

private:
    // KivReadAheadTask: tend steps until nothing changed meanwhile.
    void runStep() override;
    // The requests: the render thread's, unless a state handed over waits.
    void requests(std::uint64_t& generation, KivMetaBufferWant wants[2]) const;
    // The start time of a read-ahead buffer that begins at `frame`.
    double bufferStartTime(std::int64_t frame) const;

    std::shared_ptr<KivAlias> _alias;
    KivAudioStreamDescription _format;
    double _fileRate = 0.0;
    bool _manual = false;
    KivRetireList& _retired;
    // Posting never blocks, so the render thread may. A post with nothing
    // to do costs one idle step. Kept until the tender goes: the render
    // thread may post after killWorker.
    std::shared_ptr<KivReadAheadPool> _pool;

    // The owner's requests, read by the tend step.
    mutable std::mutex _ownerMutex;
    std::uint64_t _ownerGeneration = 0;
    KivMetaBufferWant _ownerWants[2];
    // The render thread's, published.
    std::atomic<std::uint64_t> _renderGeneration{0};
    std::atomic<std::uint64_t> _renderWantSerial[2] = {};
    std::atomic<std::int64_t> _renderWantStart[2] = {};

    // Tend step hands over per slot, render thread takes.
    std::atomic<KivMetaBufferDelivery*> _delivered[2] = {};
    // Tend step only: the request each slot last got a buffer for.
    std::uint64_t _made[2] = {0, 0};
};
