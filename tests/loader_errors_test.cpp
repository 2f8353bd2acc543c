#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <elf.h>
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

// What unloading the module threw; empty when it threw nothing.
std::string unloadError(simhost::Host& host, simhost::ModuleId id) {
    try {
        host.modules().unload(id);
    } catch (const HostError& error) {
        return error.what();
    }
    return "";
}

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
    ::testing::Values(
        std::pair{"no_such_module", "no such file"},
        std::pair{"fixture_empty", "not a loadable module"},
        std::pair{"fixture_text", "not a loadable module"},
        std::pair{"fixture_no_record", "has no 'exports' record"},
        std::pair{"fixture_api_72", "was built for host API version 72, this host speaks 73"},
        std::pair{"fixture_no_create", "its record has no creation entry"},
        std::pair{"fixture_no_delete", "its record has no release entry"},
        std::pair{"fixture_create_zero", "the creation entry returned no plug-in"},
        std::pair{"fixture_empty_handle", "returned an empty plug-in handle"},
        std::pair{"fixture_failing_onload",
                  "loading the plug-in failed: onLoad threw: fixture failure in onLoad"}),
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

// Everything of a module the caller still holds must go before its file closes, even when the
// module fails on its way out.
TEST(LoaderRequests, AModuleFailingInOnUnloadIsUnloadedAndTold) {
    const auto file = modulePath("misbehaving_throws_in_onunload");
    simhost::Host host;
    const auto id = host.modules().load(file);
    std::weak_ptr<BakkesMod::Plugin::BakkesModPlugin> object = host.modules().find(id)->plugin;
    simhost::KeptModule kept = host.modules().unloadKeepingFile(id);
    ASSERT_FALSE(kept.leaving);
    EXPECT_EQ(kept.leaving.reason(), "onUnload failed: fixture failure in onUnload");
    EXPECT_TRUE(object.expired());
    object.reset();  // its shared count is the module's code, still there
    EXPECT_TRUE(host.modules().loaded().empty());
    EXPECT_EQ(host.overlay().count(), 0u);

    const auto again = host.modules().load(std::move(kept.module));
    EXPECT_EQ(loadError(host, file), file.string() + ": is already loaded");
    EXPECT_EQ(unloadError(host, again),
              file.string() + ": onUnload failed: fixture failure in onUnload");
    EXPECT_TRUE(host.modules().loaded().empty());
}

// The drawables onUnload leaves registered are the host's to drop, and told: a module should
// unregister its own.
TEST(LoaderRequests, TellsTheDrawablesOnUnloadLeft) {
    simhost::Host host;
    EXPECT_EQ(host.modules().unload(host.modules().load(tavorindenModule())), 0u);
    const auto file = modulePath("broken_keeps_drawable");
    EXPECT_EQ(host.modules().unload(host.modules().load(file)), 1u);
    simhost::KeptModule kept = host.modules().unloadKeepingFile(host.modules().load(file));
    EXPECT_TRUE(kept.leaving);
    EXPECT_EQ(kept.drawablesLeft, 1u);
    EXPECT_EQ(host.overlay().count(), 0u);
    kept.module.close();
}

// A release entry that fails after a clean onUnload fails the unload, with its own reason.
TEST(LoaderRequests, AReleaseEntryFailingAfterACleanOnUnloadIsTold) {
#if defined(_WIN32)
    GTEST_SKIP() << "the fixture's release entry throws only where C entries may";
#else
    const auto file = modulePath("misbehaving_throws_in_release");
    simhost::Host host;
    const auto id = host.modules().load(file);
    simhost::KeptModule kept = host.modules().unloadKeepingFile(id);
    ASSERT_FALSE(kept.leaving);
    EXPECT_EQ(kept.leaving.reason(), "releasing the plug-in failed: fixture failure in deleteMe");
    EXPECT_TRUE(host.modules().loaded().empty());

    const auto again = host.modules().load(std::move(kept.module));
    EXPECT_EQ(unloadError(host, again),
              file.string() + ": releasing the plug-in failed: fixture failure in deleteMe");
    EXPECT_TRUE(host.modules().loaded().empty());
#endif
}

// A module for another machine is named for what it is, before the system loader sees it.
TEST(LoaderRequests, RefusesAModuleBuiltForAnotherMachine) {
    ScratchDirectory scratch;
    std::string bytes = fileBytes(tavorindenModule());
    // ELF's e_machine, or the PE file header's Machine, made AArch64's.
    std::size_t machine = 18;
    if (bytes.rfind("MZ", 0) == 0) {
        std::uint32_t header = 0;
        std::memcpy(&header, bytes.data() + 0x3C, sizeof header);
        machine = header + 4;
    }
    bytes[machine] = bytes.rfind("MZ", 0) == 0 ? '\x64' : '\xB7';
    bytes[machine + 1] = bytes.rfind("MZ", 0) == 0 ? '\xAA' : '\x00';
    const auto other = scratch / ("other" TEST_MODULE_SUFFIX);
    std::ofstream(other, std::ios::binary) << bytes;
    simhost::Host host;
    EXPECT_EQ(loadError(host, other), other.string() + ": built for AArch64; this host runs " +
                                          (sizeof(void*) == 8 ? "x86-64" : "x86"));

    // The other system's kind of module, for this host's own processor: the headers alone.
    std::string windows(0x46, '\0');
    windows.replace(0, 2, "MZ");
    windows[0x3C] = '\x40';
    windows.replace(0x40, 6,
                    std::string("PE\0\0", 4) + (sizeof(void*) == 8 ? "\x64\x86" : "\x4C\x01"));
    std::string elf(64, '\0');
    elf.replace(0, 7,
                sizeof(void*) == 8 ? "\x7F"
                                     "ELF\x02\x01\x01"
                                   : "\x7F"
                                     "ELF\x01\x01\x01");
    elf[18] = sizeof(void*) == 8 ? '\x3E' : '\x03';
#if defined(_WIN32)
    const std::string foreign = elf;
    const std::string reason = ": is an ELF module; this host loads Windows modules";
#else
    const std::string foreign = windows;
    const std::string reason = ": is a Windows module; this host loads ELF modules";
#endif
    const auto module = scratch / ("foreign" TEST_MODULE_SUFFIX);
    std::ofstream(module, std::ios::binary) << foreign;
    EXPECT_EQ(loadError(host, module), module.string() + reason);
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

    const std::string bytes = fileBytes(tavorindenModule());
    // Cut inside the last loadable segment, by one byte: what a linker still writing the module
    // leaves behind, with every header in place.
    Elf64_Ehdr header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    std::size_t end = 0;
    int last = 0;  // the first segment to end there
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment{};
        std::memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof segment, sizeof segment);
        if (segment.p_type == PT_LOAD && segment.p_offset + segment.p_filesz > end) {
            end = segment.p_offset + segment.p_filesz;
            last = i;
        }
    }
    ASSERT_LT(end, bytes.size());
    const auto cut = scratch / "cut.so";
    std::ofstream(cut, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(end - 1));
    EXPECT_EQ(loadError(host, cut), cut.string() + ": is cut short or damaged: loadable segment " +
                                        std::to_string(last) + " reaches past the end of the file");
    EXPECT_TRUE(host.modules().loaded().empty());
}
#endif

}  // namespace
