#pragma once

#include <cstdint>

// Every test program links support/RenderThreadAllocations.cpp, which sees
// every heap call made while the calling thread's role is ThreadRole::Render:
// operator new and delete in every form, and malloc, calloc, realloc, the
// aligned allocations and free too when no sanitizer owns the allocator.
// The test main fails the test in which such a call happened; a render-path
// test may also check that the count did not move:
//
//   const auto before = renderThreadAllocations();
//   { ScopedThreadRole role(ThreadRole::Render); mixer.process(...); }
//   EXPECT_EQ(renderThreadAllocations(), before);
std::uint64_t renderThreadAllocations();

// Whether malloc, calloc, realloc and free are seen in this build (not under
// AddressSanitizer or ThreadSanitizer, which replace the allocator).
bool renderThreadMallocIsCounted();

// Adds a non-fatal failure to the running test when the render thread made a
// heap call since the last check, naming the first such call and its stack.
// Off the render thread only; the test main runs it at the end of every test.
void failOnRenderThreadAllocations();
