#include "AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {
size_t allocations = 0;
bool counting = false;
} // namespace

void StartCountingAllocations() {
    allocations = 0;
    counting = true;
}

size_t StopCountingAllocations() {
    counting = false;
    return allocations;
}

void* operator new(std::size_t size) {
    if (counting) {
        ++allocations;
    }
    if (void* block = std::malloc(size ? size : 1)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
