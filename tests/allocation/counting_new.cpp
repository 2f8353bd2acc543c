#include "counting_new.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> allocations{0};
std::atomic<long long> outstanding{0};
std::atomic<long long> failing{0};  // the value of `allocations` that fails; 0 for none

void* allocate(std::size_t size) {
    const long long number = ++allocations;
    long long armed = number;
    if (failing.compare_exchange_strong(armed, 0)) {
        throw std::bad_alloc();
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ++outstanding;
    return memory;
}

void release(void* memory) noexcept {
    if (memory != nullptr) {
        --outstanding;
        std::free(memory);
    }
}

}  // namespace

namespace allocation {

long long total() {
    return allocations;
}
long long live() {
    return outstanding;
}
void failNth(long long n) {
    failing = allocations + n;
}
void disarm() {
    failing = 0;
}

}  // namespace allocation

// Modules loaded into this program bind to these too: the program's definitions come first.
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* memory) noexcept {
    release(memory);
}
void operator delete[](void* memory) noexcept {
    release(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    release(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    release(memory);
}
