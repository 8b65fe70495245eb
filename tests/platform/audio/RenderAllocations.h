#pragma once

#include <cstdint>

// How often operator new ran on a thread marked as the render thread, in this
// test program. The render path must leave it unchanged.
std::uint64_t renderThreadAllocations();
