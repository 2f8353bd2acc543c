#pragma once

#include <optional>
#include <string>

#include "tools/module_probes.h"

// AddressSanitizer's allocator keeps freed memory in quarantine and maps its own: memory use
// says nothing about the module there.
#if defined(__SANITIZE_ADDRESS__)
#define SIMHOST_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SIMHOST_SANITIZED_ALLOCATOR 1
#endif
#endif

namespace simhost::check {

#if defined(SIMHOST_SANITIZED_ALLOCATOR)
inline constexpr bool kSanitizedAllocator = true;
#else
inline constexpr bool kSanitizedAllocator = false;
#endif

// The process's memory over a run of repetitions (load and unload cycles, draws): after the first
// tenth, at the middle, and the most over the last tenth. A leak grows in both halves; a table
// that the system or the C runtime enlarges once grows in one, and is not told.
class MemoryGrowth {
public:
    explicit MemoryGrowth(long long repetitions);

    // Looks after repetition `done` (from 1); false when the process's figures cannot be read.
    bool look(long long done);
    // "the heap grew by N bytes, steadily" or the same of mapped memory; nothing when flat.
    std::optional<std::string> growth() const;

private:
    long long repetitions_;
    long long tenth_;
    long long middle_;
    MemoryUse settled_;
    MemoryUse halfway_;
    MemoryUse highest_;
};

}  // namespace simhost::check
