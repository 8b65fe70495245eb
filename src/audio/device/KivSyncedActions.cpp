#include "audio/device/KivSyncedActions.h"

#include "foundation/ThreadRole.h"

void KivSyncedActions::List::append(KivActionInfo* record) {
    record->next = nullptr;
    if (tail != nullptr) {
        tail->next = record;
    } else {
        head = record;
    }
    tail = record;
}

void KivSyncedActions::List::splice(List& other) {
    if (other.empty()) {
        return;
    }
    if (tail != nullptr) {
        tail->next = other.head;
    } else {
        head = other.head;
    }
    tail = other.tail;
    other = {};
}

void KivSyncedActions::List::cancel(const void* target) {
    for (KivActionInfo* record = head; record != nullptr; record = record->next) {
        if (record->target == target) {
            record->target = nullptr;
            record->method = nullptr;
        }
    }
}

std::size_t KivSyncedActions::List::size() const {
    std::size_t count = 0;
    for (const KivActionInfo* record = head; record != nullptr; record = record->next) {
        ++count;
    }
    return count;
}

KivSyncedActions::KivSyncedActions() {
    growPool();
}

KivSyncedActions::~KivSyncedActions() = default;

void KivSyncedActions::growPool() {
    auto chunk = std::make_unique<KivActionInfo[]>(kChunkRecords);
    for (std::size_t i = 0; i < kChunkRecords; ++i) {
        chunk[i].next = _free;
        _free = &chunk[i];
    }
    _pool.push_back(std::move(chunk));
}

KivActionInfo* KivSyncedActions::takeRecord(void* target, const char* selector,
                                            KivActionMethod method) {
    if (_free == nullptr) {
        std::lock_guard handover(_handover);
        reclaimDone();
    }
    if (_free == nullptr) {
        growPool();
    }
    KivActionInfo* record = _free;
    _free = record->next;
    *record = {target, selector, method, nullptr};
    return record;
}

void KivSyncedActions::reclaimDone() {
    while (KivActionInfo* record = _done.head) {
        _done.head = record->next;
        *record = {};
        record->next = _free;
        _free = record;
    }
    _done.tail = nullptr;
}

void KivSyncedActions::runPendingLocked() {
    for (const KivActionInfo* record = _pending.head; record != nullptr; record = record->next) {
        record->call();
    }
    _done.splice(_pending);
}

void KivSyncedActions::startSyncedActions() {
    std::lock_guard control(_control);
    _batchOpen = true;
}

void KivSyncedActions::endSyncedActions() {
    assertNotRenderThread();
    std::lock_guard control(_control);
    if (!_batchOpen) {
        return;
    }
    _batchOpen = false;
    std::lock_guard handover(_handover);
    _pending.splice(_batch);
    if (!_rendering) {
        runPendingLocked();
    }
    reclaimDone();
}

bool KivSyncedActions::isBatchOpen() const {
    std::lock_guard control(_control);
    return _batchOpen;
}

void KivSyncedActions::performAction(void* target, const char* selector, KivActionMethod method) {
    assertNotRenderThread();
    if (target == nullptr || method == nullptr) {
        return;
    }
    {
        std::lock_guard control(_control);
        if (_batchOpen) {
            _batch.append(takeRecord(target, selector, method));
            return;
        }
        if (_rendering) {
            KivActionInfo* record = takeRecord(target, selector, method);
            std::lock_guard handover(_handover);
            if (!_pending.empty()) {
                _pending.append(record);
                return;
            }
            // Nothing to wait behind: the record goes straight back unused.
            *record = {};
            record->next = _free;
            _free = record;
        }
    }
    method(target, selector);
}

void KivSyncedActions::removeActions(const void* target) {
    assertNotRenderThread();
    if (target == nullptr) {
        return;
    }
    std::lock_guard control(_control);
    _batch.cancel(target);
    std::lock_guard handover(_handover);
    _pending.cancel(target);
    reclaimDone();
}

void KivSyncedActions::setRendering(bool rendering) {
    assertNotRenderThread();
    std::lock_guard control(_control);
    _rendering = rendering;
    if (!rendering) {
        std::lock_guard handover(_handover);
        runPendingLocked();
        reclaimDone();
    }
}

std::size_t KivSyncedActions::pendingCount() const {
    std::lock_guard handover(_handover);
    return _pending.size();
}

bool KivSyncedActions::runPending() {
    assertRenderThread();
    std::unique_lock handover(_handover, std::try_to_lock);
    if (!handover.owns_lock()) {
        _missed.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    runPendingLocked();
    return true;
}
