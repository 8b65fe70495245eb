#pragma once

#include <atomic>
#include <cstddef>

// Something the render thread lets go of, for another thread to free.
class KivRetired {
public:
    virtual ~KivRetired() = default;

protected:
    KivRetired() = default;
    KivRetired(const KivRetired&) = delete;
    KivRetired& operator=(const KivRetired&) = delete;

private:
    friend class KivRetireList;
    KivRetired* _nextRetired = nullptr;
};

// What the render thread is done with, waiting to be freed elsewhere. A push
// never blocks or allocates: one compare-and-swap on the head, tried again
// only when another push or a take came in between. A take hands over the
// whole list at once, so two takers never share an object.
class KivRetireList {
public:
    KivRetireList() = default;
    // Once nobody pushes any more.
    ~KivRetireList() { freeAll(); }
    KivRetireList(const KivRetireList&) = delete;
    KivRetireList& operator=(const KivRetireList&) = delete;

    // Any thread, the render thread included. The list owns `retired` from now on.
    void push(KivRetired* retired) noexcept {
        KivRetired* head = _head.load(std::memory_order_relaxed);
        do {
            retired->_nextRetired = head;
        } while (!_head.compare_exchange_weak(head, retired, std::memory_order_release,
                                              std::memory_order_relaxed));
    }

    // Never the render thread: frees everything pushed so far; answers how many.
    std::size_t freeAll() {
        KivRetired* retired = _head.exchange(nullptr, std::memory_order_acquire);
        std::size_t count = 0;
        while (retired != nullptr) {
            KivRetired* next = retired->_nextRetired;
            delete retired;
            retired = next;
            ++count;
        }
        return count;
    }

    bool empty() const { return _head.load(std::memory_order_acquire) == nullptr; }

private:
    std::atomic<KivRetired*> _head{nullptr};
};
