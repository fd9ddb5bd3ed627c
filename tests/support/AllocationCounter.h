#pragma once
// Counts heap allocations made through operator new while a counter is alive,
// so tests can prove that a steady-state frame allocates nothing. Sanitizer
// builds keep their own allocator: there the counter reports itself unavailable.

#include <cstddef>

namespace testing_support {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    size_t Count() const;
    static bool Available();
};

} // namespace testing_support
