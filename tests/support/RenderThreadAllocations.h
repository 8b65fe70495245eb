#pragma once

#include <cstdint>

// Test builds that link support/RenderThreadAllocations.cpp count every heap
// allocation made while the calling thread's role is ThreadRole::Render:
// operator new in every form, and malloc, calloc and realloc too when no
// sanitizer owns the allocator. A render-path test checks that the count did
// not move:
//
//   const auto before = renderThreadAllocations();
//   { ScopedThreadRole role(ThreadRole::Render); mixer.process(...); }
//   EXPECT_EQ(renderThreadAllocations(), before);
std::uint64_t renderThreadAllocations();

// Whether malloc, calloc and realloc are counted in this build (not under
// AddressSanitizer or ThreadSanitizer, which replace the allocator).
bool renderThreadMallocIsCounted();
