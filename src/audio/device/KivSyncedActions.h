#pragma once

#include "audio/device/KivActionInfo.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// The synchronised actions of one output device. Starts and stops that the
// user triggers together are gathered into a batch on a control thread and
// handed to the render thread, which runs every action of the batch at the
// start of one render cycle, before any bus is pulled, so all sources started
// together begin on the same sample.
//
// Threads:
// - control threads (the main thread, the MIDI delivery thread, the device's
//   notification thread): every operation but runPending();
// - the render thread: runPending() only. It never allocates and never waits:
//   it takes the hand-over lock with try_lock, and a miss leaves the handed-
//   over actions for the next cycle, still together.
//
// Locks, taken in this order: `_control` (the open batch, the record pool, the
// rendering flag), then `_handover` (actions handed over and not yet run, and
// records already run). The render thread holds `_handover` while it runs
// actions, so removeActions() returns only once no action of that object can
// run any more. In the device's lock order `_control` sits with the device's
// control lock and `_handover` just inside the device's render lock.
//
// Actions run on the render thread (or, when the device does not render, on a
// control thread) and must only set flags; they must never call back into
// this object.
class KivSyncedActions {
public:
    KivSyncedActions();
    ~KivSyncedActions();
    KivSyncedActions(const KivSyncedActions&) = delete;
    KivSyncedActions& operator=(const KivSyncedActions&) = delete;

    // Control thread. Opens a batch unless one is open: batches do not nest,
    // so a second start keeps the one batch and the first end closes it.
    void startSyncedActions();
    // Control thread. Hands the open batch over and closes it; with no batch
    // open it does nothing. While the device does not render, the batch runs
    // at once on the caller's thread instead, so no stop is ever lost.
    void endSyncedActions();
    bool isBatchOpen() const;

    // Control thread. Inside a batch the action joins it; the object must
    // stay alive until it has run or removeActions(object) was called.
    // Outside a batch the action runs at once on the caller's thread, unless
    // actions handed over earlier have yet to run: then it is handed over
    // behind them, so a stop never runs before the start it follows.
    template <class T>
    void performAction(const KivAction<T>& action, T* object) {
        performAction(static_cast<void*>(object), action.selector, action.method);
    }
    void performAction(void* target, const char* selector, KivActionMethod method);

    // Control thread. Cancels every queued action of `target` (the object
    // pointer as given to performAction), in the open batch and handed over.
    // Call it before an object dies or leaves the device. Waits while the
    // render thread runs actions, so the caller must not hold a lock that an
    // action takes.
    void removeActions(const void* target);

    // Control thread. The device says whether a render thread runs its
    // cycles: true once the output has started, false once it has stopped.
    // Switching off runs every handed-over action at once on the caller's
    // thread; while off, endSyncedActions() runs its batch at once.
    void setRendering(bool rendering);

    // Control thread: actions handed over and not yet run (cancelled ones
    // included until the render thread passes them).
    std::size_t pendingCount() const;

    // Render thread, at the start of each cycle before any bus is pulled:
    // runs every handed-over action. Answers false when a control thread held
    // the hand-over lock; the actions then run at the next cycle.
    bool runPending();
    // Any thread: cycles in which runPending() found the lock taken.
    std::uint64_t missedCycles() const { return _missed.load(std::memory_order_relaxed); }

private:
    struct List {
        KivActionInfo* head = nullptr;
        KivActionInfo* tail = nullptr;

        bool empty() const { return head == nullptr; }
        void append(KivActionInfo* record);
        void splice(List& other); // moves all of `other` to the end
        void cancel(const void* target);
        std::size_t size() const;
    };

    // `_control` held, `_handover` not held.
    KivActionInfo* takeRecord(void* target, const char* selector, KivActionMethod method);
    void growPool();
    // Both locks held.
    void reclaimDone();
    void runPendingLocked();

    static constexpr std::size_t kChunkRecords = 256;

    mutable std::mutex _control;
    bool _batchOpen = false;                             // guarded by _control
    List _batch;                                         // guarded by _control
    bool _rendering = false;                             // guarded by _control
    KivActionInfo* _free = nullptr;                      // guarded by _control
    std::vector<std::unique_ptr<KivActionInfo[]>> _pool; // guarded by _control

    mutable std::mutex _handover;
    List _pending; // control threads append, the render thread runs and empties
    List _done;    // the render thread appends, control threads reclaim
    std::atomic<std::uint64_t> _missed{0};
};
