#pragma once

#include <cstdint>

// Test builds that link support/RenderThreadLocks.cpp see every blocking
// pthread_mutex_lock made while the calling thread's role is
// ThreadRole::Render (not under AddressSanitizer or ThreadSanitizer, which own
// that entry point). A render-path test checks that the count did not move:
//
//   const auto before = renderThreadBlockingLocks();
//   { ScopedThreadRole role(ThreadRole::Render); source.render(...); }
//   EXPECT_EQ(renderThreadBlockingLocks(), before);
std::uint64_t renderThreadBlockingLocks();

// Whether the locks are seen in this build.
bool renderThreadLocksAreSeen();
