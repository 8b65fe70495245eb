#include "foundation/ThreadRole.h"

#include <cassert>

namespace {
thread_local ThreadRole tRole = ThreadRole::Other;
}

void setCurrentThreadRole(ThreadRole role) {
    tRole = role;
}

bool isRenderThread() {
    return tRole == ThreadRole::Render;
}

bool isMainThread() {
    return tRole == ThreadRole::Main;
}

ScopedThreadRole::ScopedThreadRole(ThreadRole role)
    : _previous(tRole) {
    tRole = role;
}

ScopedThreadRole::~ScopedThreadRole() {
    tRole = _previous;
}

void assertRenderThread() {
    assert(isRenderThread());
}

void assertNotRenderThread() {
    assert(!isRenderThread());
}

void assertMainThread() {
    assert(isMainThread());
}
