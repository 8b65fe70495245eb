#pragma once

#include <cstddef>

// Counts the heap allocations (malloc and friends, so operator new and the C
// allocations of plugins too) that the current thread makes while an
// instance lives. Under AddressSanitizer, which owns malloc, nothing is
// counted and available() is false.
class AllocationCounter {
public:
    static bool available();

    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    std::size_t count() const;

private:
    std::size_t _start;
};
