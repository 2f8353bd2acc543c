#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tools/module_probes.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

// The process's own figures, read when they can be, and nothing when they cannot: a probe that
// cannot look must not hand the check a figure that proves nothing.
TEST(ModuleProbes, SayWhenTheyCannotLook) {
    const std::optional<simhost::MemoryUse> before = simhost::memoryUse();
    ASSERT_TRUE(before);
    EXPECT_GT(before->heapBytes, 0);
    EXPECT_GT(before->mappedBytes, 0);
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
