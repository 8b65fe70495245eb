#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// Ends an observation when it is destroyed or disconnected. It outlives the
// signal safely: it only holds a weak link back.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect)
        : _disconnect(std::move(disconnect)) {}
    Connection(Connection&& other) noexcept
        : _disconnect(std::exchange(other._disconnect, nullptr)) {}
    Connection& operator=(Connection&& other) noexcept {
        if (this != &other) {
            disconnect();
            _disconnect = std::exchange(other._disconnect, nullptr);
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { disconnect(); }

    bool connected() const { return static_cast<bool>(_disconnect); }

    void disconnect() {
        if (auto disconnect = std::exchange(_disconnect, nullptr)) {
            disconnect();
        }
    }

private:
    std::function<void()> _disconnect;
};

// A synchronous, thread-safe list of observers. emit() calls each observer on
// the emitting thread. An observer may disconnect itself or others during an
// emit; once disconnect() has returned on another thread, that observer is not
// running and never runs again.
template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal()
        : _state(std::make_shared<State>()) {}
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot) {
        auto entry = std::make_shared<Entry>();
        entry->slot = std::move(slot);
        {
            std::lock_guard lock(_state->mutex);
            _state->entries.push_back(entry);
        }
        std::weak_ptr<State> weakState = _state;
        std::weak_ptr<Entry> weakEntry = entry;
        return Connection([weakState, weakEntry] {
            auto e = weakEntry.lock();
            if (!e) {
                return;
            }
            {
                // Waits for a call in progress on another thread; recursive, so
                // an observer may end itself from inside its own call.
                std::lock_guard callLock(e->callMutex);
                e->active = false;
            }
            if (auto state = weakState.lock()) {
                std::lock_guard lock(state->mutex);
                std::erase(state->entries, e);
            }
        });
    }

    void emit(Args... args) const {
        std::vector<std::shared_ptr<Entry>> snapshot;
        {
            std::lock_guard lock(_state->mutex);
            snapshot = _state->entries;
        }
        for (const auto& entry : snapshot) {
            std::lock_guard callLock(entry->callMutex);
            if (entry->active) {
                entry->slot(args...);
            }
        }
    }

    std::size_t observerCount() const {
        std::lock_guard lock(_state->mutex);
        return _state->entries.size();
    }

private:
    struct Entry {
        Slot slot;
        std::recursive_mutex callMutex;
        bool active = true; // guarded by callMutex
    };
    struct State {
        mutable std::mutex mutex;
        std::vector<std::shared_ptr<Entry>> entries;
    };
    std::shared_ptr<State> _state;
};

// Observation of one model property: observers receive the old and the new value.
template <typename T>
using ChangeSignal = Signal<const T&, const T&>;
