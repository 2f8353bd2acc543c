#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "call_recorder.h"
#include "simhost/host.h"
#include "simhost/host_error.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

using simhost::HostError;

// What a refused load must leave untouched.
struct HostState {
    explicit HostState(simhost::Host& host)
        : logLines(host.log().lines().size()),
          variables(host.variables().size()),
          drawables(host.overlay().count()),
          modules(host.modules().loaded().size()) {}
    friend bool operator==(const HostState&, const HostState&) = default;

    std::size_t logLines;
    std::size_t variables;
    std::size_t drawables;
    std::size_t modules;
};

std::string loadError(simhost::Host& host, const std::filesystem::path& file) {
    try {
        host.modules().load(file);
    } catch (const HostError& error) {
        return error.what();
    }
    return "loaded without an error";
}

class LoaderErrors : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(LoaderErrors, RefusesWithFileAndCauseAndLeavesTheHostServing) {
    const auto [name, cause] = GetParam();
    simhost::Host host;
    CallRecorder recorder(host.canvas());
    host.modules().load(tavorindenModule());
    const HostState before(host);

    const std::filesystem::path file = modulePath(name);
    const std::string message = loadError(host, file);
    EXPECT_EQ(message.rfind(file.string() + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(cause), std::string::npos) << message;
    EXPECT_EQ(HostState(host), before);
    EXPECT_EQ(host.variables().find("fixture_switch"), nullptr);

    host.draw();
    EXPECT_EQ(recorder.calls.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    BrokenModules, LoaderErrors,
    ::testing::Values(std::pair{"no_such_module", "no such file"},
                      std::pair{"fixture_empty", "not a loadable module"},
                      std::pair{"fixture_text", "not a loadable module"},
                      std::pair{"fixture_no_record", "has no 'exports' record"},
                      std::pair{"fixture_api_72",
                                "was built for host API version 72, this host speaks 73"},
                      std::pair{"fixture_no_create", "its record has no creation entry"},
                      std::pair{"fixture_no_delete", "its record has no release entry"},
                      std::pair{"fixture_create_zero", "the creation entry returned no plug-in"},
                      std::pair{"fixture_empty_handle", "returned an empty plug-in handle"},
                      std::pair{"fixture_failing_onload", "fixture failure in onLoad"}),
    [](const auto& test) { return std::string(test.param.first); });

TEST(LoaderRequests, UnloadingTwiceOrWhatWasNeverLoadedIsAnError) {
    simhost::Host host;
    const auto id = host.modules().load(tavorindenModule());
    host.modules().unload(id);
    EXPECT_THROW(
        {
            try {
                host.modules().unload(id);
            } catch (const HostError& error) {
                EXPECT_EQ(std::string(error.what()),
                          "no module with id " + std::to_string(id) + " is loaded");
                throw;
            }
        },
        HostError);
    EXPECT_THROW(host.modules().unload(id + 100), HostError);
    EXPECT_NO_THROW(host.modules().load(tavorindenModule()));
}

TEST(LoaderRequests, TheSameModuleIsNotLoadedTwiceUnderAnyName) {
    ScratchDirectory scratch;
    const auto link = scratch / ("link" TEST_MODULE_SUFFIX);
    std::filesystem::create_hard_link(tavorindenModule(), link);
    simhost::Host host;
    CallRecorder recorder(host.canvas());
    host.modules().load(tavorindenModule());
    for (const auto& again :
         {tavorindenModule(), std::filesystem::absolute(tavorindenModule()), link}) {
        const std::string message = loadError(host, again);
        EXPECT_NE(message.find("is already loaded"), std::string::npos) << message;
    }
    EXPECT_EQ(host.modules().loaded().size(), 1u);
    EXPECT_EQ(host.log().lines().size(), 1u);
    host.draw();
    EXPECT_EQ(recorder.calls.size(), 3u);  // the first one still draws
}

#if !defined(_WIN32)
// The system loader must never see these: it would block on a FIFO for good, and die of a bus
// error on a module whose segments lie beyond the end of its file.
TEST(LoaderRequests, RefusesFilesTheSystemLoaderCannotTakeSafely) {
    ScratchDirectory scratch;
    const auto fifo = scratch / "fifo.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    simhost::Host host;
    EXPECT_EQ(loadError(host, fifo), fifo.string() + ": is not a regular file");

    std::ifstream whole(tavorindenModule(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(whole)), {});
    // Cut inside the code: what a linker still writing the module leaves behind.
    const auto cut = scratch / "cut.so";
    ASSERT_GT(bytes.size(), 16384u);
    std::ofstream(cut, std::ios::binary).write(bytes.data(), 16384);
    EXPECT_EQ(loadError(host, cut), cut.string() + ": is cut short or damaged");
    EXPECT_TRUE(host.modules().loaded().empty());
}
#endif

}  // namespace
