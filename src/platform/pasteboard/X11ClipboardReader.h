#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct xcb_connection_t;

// Reads the CLIPBOARD selection of an X display over a connection and a
// thread of its own, so that an owner that never answers holds up no one:
// every read ends by its deadline, answered or not. Each read asks through a
// window made for it alone, so an answer that comes too late reaches no one.
//
// Any thread makes requests; each completion runs on the reader's thread, once.
class X11ClipboardReader {
public:
    struct Result {
        enum class Status {
            Read,       // `targets` or `bytes` hold the answer
            NoOwner,    // nobody holds the clipboard
            NotOffered, // the owner refused the format
            NoAnswer,   // the owner did not answer in time
            TooLarge,   // the contents pass the read's limit; none of it was kept
            Failed,     // the display went away or the answer was malformed
        };
        Status status = Status::Failed;
        // The formats offered, by name (a read of the targets).
        std::vector<std::string> targets;
        // The contents (a read of one format).
        std::string bytes;
    };
    using Completion = std::function<void(Result)>;

    // Connects to the display ("" for $DISPLAY); nullptr when it cannot.
    static std::unique_ptr<X11ClipboardReader> connect(const std::string& display,
                                                       std::chrono::milliseconds answerTime);
    // A read under way gives up at once; queued ones are dropped untold.
    ~X11ClipboardReader();
    X11ClipboardReader(const X11ClipboardReader&) = delete;
    X11ClipboardReader& operator=(const X11ClipboardReader&) = delete;

    // The formats the owner offers (its TARGETS).
    void readTargets(Completion completion);
    // The owner's contents in one format, refused past `limit` bytes before
    // they are read, as far as the owner tells their size first.
    void readContents(const std::string& format, std::size_t limit, Completion completion);

private:
    struct Request {
        std::string format; // empty: the targets
        std::size_t limit = 0;
        std::chrono::steady_clock::time_point deadline;
        Completion completion;
    };
    class Transfer;

    X11ClipboardReader(xcb_connection_t* connection, std::chrono::milliseconds answerTime);
    void enqueue(Request request);
    void run();
    Result serve(const Request& request);

    xcb_connection_t* const _connection;
    const std::chrono::milliseconds _answerTime;
    // Written to wake a read that waits on the display.
    const int _wake;
    const std::uint32_t _clipboard;
    const std::uint32_t _targets;
    const std::uint32_t _incremental;
    const std::uint32_t _property;
    std::mutex _mutex; // guards the two below
    std::condition_variable _work;
    std::deque<Request> _queue;
    bool _stopping = false;
    std::thread _thread; // last: started once everything above exists
};
