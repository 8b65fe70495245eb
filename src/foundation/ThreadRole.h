#pragma once

// Which kind of thread the caller runs on. The render thread must never
// allocate, block or do file I/O; code that may run there asks this flag.
// The main thread runs the model and the main loop's timers; the program's
// main() (and a test program's) takes that role before anything else runs.
enum class ThreadRole { Other, Main, Render };

void setCurrentThreadRole(ThreadRole role);
bool isRenderThread();
bool isMainThread();

// Marks the current thread for the lifetime of the object, then restores its role.
class ScopedThreadRole {
public:
    explicit ScopedThreadRole(ThreadRole role);
    ~ScopedThreadRole();
    ScopedThreadRole(const ScopedThreadRole&) = delete;
    ScopedThreadRole& operator=(const ScopedThreadRole&) = delete;

private:
    ThreadRole _previous;
};

// Debug builds stop at a wrong-thread call; release builds carry on.
void assertRenderThread();
void assertNotRenderThread();
void assertMainThread();
