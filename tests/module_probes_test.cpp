#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "simhost_run.h"
#include "tools/descriptors.h"
#include "tools/module_probes.h"
#include "tools/output_capture.h"

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

// What a module writes while captured is counted, then sent on where it was going: nothing lost.
// Each stream keeps its own buffer (the C++ streams apart from the C library's, as in simhost;
// stderr buffered on Windows), so the lines may arrive in another order than written: they are
// compared as a set, and the unended line is written once the others have been counted.
// Whether this process's C++ streams share the C library's buffers depends on the tests before;
// simhost's own, which do not, are held by check_warns_of_output_on_every_draw.
TEST(OutputCapture, CountsTheLinesAndPassesThemOn) {
    namespace descriptors = simhost::descriptors;
    const ScratchDirectory scratch;
    const std::filesystem::path file = scratch / "capture.txt";
    std::FILE* beyond = std::fopen(file.string().c_str(), "w+b");
    ASSERT_NE(beyond, nullptr);
    std::fflush(nullptr);
    const int savedError = descriptors::duplicate(descriptors::kError);
    ASSERT_TRUE(descriptors::redirect(descriptors::of(beyond), descriptors::kError));
    long long lines = 0;
    {
        simhost::OutputCapture capture;
        std::printf("one\n");
        std::cout << "two" << std::endl;
        std::fprintf(stderr, "three\n");
        EXPECT_EQ(capture.lines(), 3);
        std::printf("four");
        lines = capture.lines();
    }
    std::fflush(nullptr);
    descriptors::redirect(savedError, descriptors::kError);
    descriptors::close(savedError);
    std::fclose(beyond);
    EXPECT_EQ(lines, 4);
    std::ifstream in(file, std::ios::binary);
    const std::string passedOn(std::istreambuf_iterator<char>(in), {});
    in.close();
    std::multiset<std::string> got;
    std::istringstream split(passedOn);
    for (std::string line; std::getline(split, line);) {
        got.insert(line);
    }
    EXPECT_EQ(got, (std::multiset<std::string>{"one", "two", "three", "four"})) << passedOn;
    ASSERT_GE(passedOn.size(), 5u) << passedOn;
    EXPECT_EQ(passedOn.substr(passedOn.size() - 5), "\nfour") << passedOn;
}
