#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tools/module_probes.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SANITIZED_ALLOCATOR 1
#endif
#endif

// The process's own figures, as the C library's allocator and the system keep them. (Not under
// the sanitizers, nor valgrind, whose allocators keep books of their own: there the probe says
// it cannot look.)
TEST(ModuleProbes, ReadTheProcessFigures) {
#if defined(SANITIZED_ALLOCATOR)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own books";
#endif
    const std::optional<simhost::MemoryUse> before = simhost::memoryUse();
    ASSERT_TRUE(before);
    EXPECT_GT(before->heapBytes, 0);
    EXPECT_GT(before->mappedBytes, 0);
}

// Nothing when the figures cannot be read: a probe that cannot look must not hand the check a
// figure that proves nothing.
TEST(ModuleProbes, SayWhenTheyCannotLook) {
#if !defined(_WIN32)
    // Every descriptor taken: the process's figures and map cannot be opened.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    rlimit none = limit;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    const std::optional<simhost::MemoryUse> blind = simhost::memoryUse();
    const std::optional<bool> mapped = simhost::isMapped("/proc/self/exe");
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    EXPECT_FALSE(blind);
    EXPECT_FALSE(mapped);
#endif
}
