#include "platform/pasteboard/X11ClipboardReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

using Status = X11ClipboardReader::Result::Status;

// The owner's answer arrives in this property of the asking window.
constexpr const char* kPropertyName = "PONDRA_CLIPBOARD";
// More formats than any program offers.
constexpr std::size_t kTargetsLimit = 64 * 1024;

// xcb's replies and events are the caller's to free.
struct Free {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

xcb_atom_t intern(xcb_connection_t* connection, const std::string& name) {
    const Owned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

X11ClipboardReader::Result outcome(Status status) {
    X11ClipboardReader::Result result;
    result.status = status;
    return result;
}

std::uint8_t eventType(const xcb_generic_event_t* event) {
    // The top bit marks an event another client sent.
    return event->response_type & 0x7f;
}

} // namespace

// One read: a window of its own that the owner answers to, the waits for the
// owner's events on it, and the answer taken from its property.
class X11ClipboardReader::Transfer {
public:
    Transfer(X11ClipboardReader& reader, const Request& request)
        : _reader(reader)
        , _connection(reader._connection)
        , _deadline(request.deadline) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(_connection)).data;
        _window = xcb_generate_id(_connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(_connection, XCB_COPY_FROM_PARENT, _window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
    }
    ~Transfer() {
        // An owner still answering finds no window and gives up.
        xcb_destroy_window(_connection, _window);
        xcb_flush(_connection);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    Result read(xcb_atom_t target, std::size_t limit) {
        xcb_convert_selection(_connection, _window, _reader._clipboard, target, _reader._property,
                              XCB_CURRENT_TIME);
        const auto answered = waitFor([&](const xcb_generic_event_t* event) {
            if (eventType(event) != XCB_SELECTION_NOTIFY) {
                return false;
            }
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
            return notify->requestor == _window && notify->selection == _reader._clipboard &&
                   notify->target == target;
        });
        if (!answered) {
            return outcome(_stopped || xcb_connection_has_error(_connection) ? Status::Failed
                                                                             : Status::NoAnswer);
        }
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(answered.get());
        if (notify->property == XCB_ATOM_NONE) {
            return outcome(Status::NotOffered);
        }
        // Its type and size, before any of it is read.
        const Owned<xcb_get_property_reply_t> head(
            xcb_get_property_reply(_connection,
                                   xcb_get_property(_connection, 0, _window, _reader._property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
                                   nullptr));
        if (!head) {
            return outcome(Status::Failed);
        }
        if (head->type == _reader._incremental) {
            return readIncrementally(*head, limit);
        }
        const std::size_t size =
            static_cast<std::size_t>(xcb_get_property_value_length(head.get())) + head->bytes_after;
        if (size > limit) {
            xcb_delete_property(_connection, _window, _reader._property);
            return outcome(Status::TooLarge);
        }
        Result result = outcome(Status::Read);
        if (!take(static_cast<std::uint32_t>((size + 3) / 4), result.bytes)) {
            return outcome(Status::Failed);
        }
        return result;
    }

private:
    // The owner sends the contents piece by piece, each once the last is
    // taken, and an empty piece at the end. Each piece must come in time.
    Result readIncrementally(const xcb_get_property_reply_t& head, std::size_t limit) {
        std::uint32_t announced = 0;
        if (xcb_get_property_value_length(&head) >= 4) {
            std::memcpy(&announced, xcb_get_property_value(&head), 4);
        }
        if (announced > limit) {
            return outcome(Status::TooLarge);
        }
        Result result = outcome(Status::Read);
        // Deleting the announcement asks for the first piece.
        xcb_delete_property(_connection, _window, _reader._property);
        for (;;) {
            _deadline = std::chrono::steady_clock::now() + _reader._answerTime;
            const auto piece = waitFor([&](const xcb_generic_event_t* event) {
                if (eventType(event) != XCB_PROPERTY_NOTIFY) {
                    return false;
                }
                const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                return change->window == _window && change->atom == _reader._property &&
                       change->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!piece) {
                return outcome(_stopped || xcb_connection_has_error(_connection)
                                   ? Status::Failed
                                   : Status::NoAnswer);
            }
            std::string bytes;
            const auto room = static_cast<std::uint32_t>((limit - result.bytes.size()) / 4 + 1);
            if (!take(room, bytes)) {
                return outcome(Status::Failed);
            }
            if (bytes.empty()) {
                return result;
            }
            if (result.bytes.size() + bytes.size() > limit) {
                return outcome(Status::TooLarge);
            }
            result.bytes += bytes;
        }
    }

    // Reads the property (at most `words` four-byte units) and deletes it.
    bool take(std::uint32_t words, std::string& bytes) {
        const Owned<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(_connection,
                                   xcb_get_property(_connection, 1, _window, _reader._property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, words),
                                   nullptr));
        if (!reply) {
            return false;
        }
        const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
        bytes.assign(value, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
        return true;
    }

    // The first event that matches, or none once the deadline has passed,
    // the reader stops or the display goes.
    template <typename Matches>
    Owned<xcb_generic_event_t> waitFor(Matches matches) {
        xcb_flush(_connection);
        for (;;) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(_connection)) {
                Owned<xcb_generic_event_t> owned(event);
                if (matches(event)) {
                    return owned;
                }
            }
            if (xcb_connection_has_error(_connection)) {
                return nullptr;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                _deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return nullptr;
            }
            pollfd descriptors[] = {{xcb_get_file_descriptor(_connection), POLLIN, 0},
                                    {_reader._wake, POLLIN, 0}};
            ::poll(descriptors, 2, static_cast<int>(left.count()) + 1);
            if (descriptors[1].revents != 0) {
                _stopped = true;
                return nullptr;
            }
        }
    }

    X11ClipboardReader& _reader;
    xcb_connection_t* const _connection;
    std::chrono::steady_clock::time_point _deadline;
    xcb_window_t _window = 0;
    bool _stopped = false;
};

std::unique_ptr<X11ClipboardReader>
X11ClipboardReader::connect(const std::string& display, std::chrono::milliseconds answerTime) {
    xcb_connection_t* connection =
        xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11ClipboardReader>(new X11ClipboardReader(connection, answerTime));
}

X11ClipboardReader::X11ClipboardReader(xcb_connection_t* connection,
                                       std::chrono::milliseconds answerTime)
    : _connection(connection)
    , _answerTime(answerTime)
    , _wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    , _clipboard(intern(connection, "CLIPBOARD"))
    , _targets(intern(connection, "TARGETS"))
    , _incremental(intern(connection, "INCR"))
    , _property(intern(connection, kPropertyName))
    , _thread([this] { run(); }) {}

X11ClipboardReader::~X11ClipboardReader() {
    {
        std::lock_guard lock(_mutex);
        _stopping = true;
        _queue.clear();
    }
    _work.notify_all();
    const std::uint64_t one = 1;
    if (::write(_wake, &one, sizeof one) < 0) {
        // The wake is a counter that never fills; a failed write leaves the
        // read to end by its deadline.
    }
    _thread.join();
    ::close(_wake);
    xcb_disconnect(_connection);
}

void X11ClipboardReader::readTargets(Completion completion) {
    enqueue({std::string(), kTargetsLimit, {}, std::move(completion)});
}

void X11ClipboardReader::readContents(const std::string& format, std::size_t limit,
                                      Completion completion) {
    enqueue({format, limit, {}, std::move(completion)});
}

void X11ClipboardReader::enqueue(Request request) {
    // The time counts from the asking: a read queued behind one that waits
    // out its owner waits no longer for that.
    request.deadline = std::chrono::steady_clock::now() + _answerTime;
    {
        std::lock_guard lock(_mutex);
        _queue.push_back(std::move(request));
    }
    _work.notify_all();
}

void X11ClipboardReader::run() {
    std::unique_lock lock(_mutex);
    for (;;) {
        _work.wait(lock, [this] { return _stopping || !_queue.empty(); });
        if (_stopping) {
            return;
        }
        Request request = std::move(_queue.front());
        _queue.pop_front();
        lock.unlock();
        Result result = serve(request);
        lock.lock();
        if (_stopping) {
            return;
        }
        lock.unlock();
        request.completion(std::move(result));
        lock.lock();
    }
}

X11ClipboardReader::Result X11ClipboardReader::serve(const Request& request) {
    if (_clipboard == XCB_ATOM_NONE || _property == XCB_ATOM_NONE) {
        return outcome(Status::Failed);
    }
    const Owned<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        _connection, xcb_get_selection_owner(_connection, _clipboard), nullptr));
    if (!owner) {
        return outcome(Status::Failed);
    }
    if (owner->owner == XCB_NONE) {
        return outcome(Status::NoOwner);
    }
    const xcb_atom_t target =
        request.format.empty() ? _targets : intern(_connection, request.format);
    if (target == XCB_ATOM_NONE) {
        return outcome(Status::Failed);
    }
    Result result = Transfer(*this, request).read(target, request.limit);
    if (!request.format.empty() || result.status != Status::Read) {
        return result;
    }
    // The targets are atoms: their names, asked all at once.
    std::vector<xcb_atom_t> atoms(result.bytes.size() / sizeof(xcb_atom_t));
    std::memcpy(atoms.data(), result.bytes.data(), atoms.size() * sizeof(xcb_atom_t));
    result.bytes.clear();
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (const xcb_atom_t atom : atoms) {
        cookies.push_back(xcb_get_atom_name(_connection, atom));
    }
    for (const auto& cookie : cookies) {
        if (const Owned<xcb_get_atom_name_reply_t> name(
                xcb_get_atom_name_reply(_connection, cookie, nullptr));
            name) {
            result.targets.emplace_back(
                xcb_get_atom_name_name(name.get()),
                static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())));
        }
    }
    return result;
}
