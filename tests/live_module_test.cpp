#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "program/cli/program.h"
#include "program/console/console.h"
#include "program/console/console_session.h"
#include "program/live/changed_rows.h"
#include "program/live/display.h"
#include "program/live/frame_times.h"
#include "program/live/module_watch.h"
#include "program/live/window.h"
#include "simhost/host_error.h"
#include "simhost_run.h"
#include "test_modules.h"
#include "tools/file_watch.h"
#include "tools/imports_beside.h"
#include "tools/private_copies.h"

namespace {

using namespace std::chrono_literals;
using simhost::FileWatch;
namespace fs = std::filesystem;

void writeFile(const fs::path& file, const std::string& contents) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
}

// Linkers replace the file or rewrite it in place: both are new contents, seen once each, and
// only after they have kept still, so that a file caught mid-write is not taken.
TEST(FileWatch, SeesReplacedAndRewrittenFilesOnceSettled) {
    ScratchDirectory scratch;
    const fs::path file = scratch / "module";
    writeFile(file, "first");
    auto now = FileWatch::Clock::now();
    FileWatch watch(file, now);
    EXPECT_FALSE(watch.poll(now += 1s)) << "the content at the start counts as taken";

    writeFile(scratch / "next", "second, longer");
    fs::rename(scratch / "next", file);
    EXPECT_FALSE(watch.poll(now += 1ms)) << "a new content is not taken before it settles";
    EXPECT_FALSE(watch.poll(now + FileWatch::kSettle / 2));
    EXPECT_TRUE(watch.poll(now += FileWatch::kSettle));
    EXPECT_FALSE(watch.poll(now += 1s)) << "one content is reported once";

    std::this_thread::sleep_for(20ms);  // file times tick coarsely
    writeFile(file, "third, as long");  // the same inode and size as before
    EXPECT_FALSE(watch.poll(now += 1ms));
    EXPECT_TRUE(watch.poll(now += FileWatch::kSettle));

    fs::remove(file);
    EXPECT_FALSE(watch.poll(now += 1s));
    EXPECT_FALSE(watch.poll(now += 1s)) << "a file that is gone is nothing to load";
}

// A module in a plug-in folder of its own, loaded by a console from a private copy, as a live
// session loads it.
class WatchedCopy : public ::testing::Test {
protected:
    WatchedCopy() { console.usePrivateCopies(copies); }

    // Puts the build in the folder and loads it.
    bool loadCopyOf(const fs::path& built) {
        fs::copy_file(built, module);
#if defined(_WIN32)
        // A plug-in folder holds the host library its modules import; the copies find it there.
        fs::copy_file("bakkesmod.dll", scratch / "bakkesmod.dll");
#endif
        simhost::importsBeside(module);
        return console.loadModule();
    }

    ScratchDirectory scratch;
    const fs::path module = scratch / modulePath("plugin").string();
    simhost::Host host{{64, 64}};
    std::ostringstream messages;
    simhost::PrivateCopies copies;
    simhost::Console console{host, module, messages};
};

// A rebuilt module comes in with the values the old one left; a broken file leaves the host
// without a module, told in one line, and the next good file brings the module back. The module
// loaded is a private copy, so the file can be rewritten while it runs.
TEST_F(WatchedCopy, LoadsEachNewBuildKeepingTheVariables) {
    std::ostringstream log;
    host.log().setEcho(&log);
    ASSERT_TRUE(loadCopyOf(tavorindenModule())) << messages.str();
    ASSERT_NE(console.loaded()->module.file(), module);
    EXPECT_EQ(console.run("cl_tavorinden 0"), simhost::Console::Ran::Done);

    auto now = FileWatch::Clock::now();
    simhost::ModuleWatch watch(console, now);
    fs::copy_file(modulePath("tavorinden_rebuilt"), scratch / "staged");
    fs::rename(scratch / "staged", module);
    watch.poll(now += 1ms);
    EXPECT_TRUE(watch.poll(now += FileWatch::kSettle)) << messages.str();
    EXPECT_EQ(log.str(), "Tavorinden version: " TAVORINDEN_VERSION
                         "\n"
                         "Tavorinden version: " TAVORINDEN_VERSION "-rebuilt\n");
    EXPECT_EQ(host.variables().find("cl_tavorinden")->text(), "0");
    EXPECT_EQ(host.overlay().count(), 1u);

    messages.str("");
    writeFile(module,
              "\x7f"
              "ELF half a module");
    watch.poll(now += 1ms);
    EXPECT_FALSE(watch.poll(now += FileWatch::kSettle));
    EXPECT_EQ(console.loaded(), nullptr);
    EXPECT_EQ(host.overlay().count(), 0u);
    // Told once it has kept still for longer than a linker pauses, and once only.
    EXPECT_EQ(messages.str(), "");
    watch.poll(now + simhost::ModuleWatch::kLasting / 2);
    EXPECT_EQ(messages.str(), "");
    watch.poll(now += simhost::ModuleWatch::kLasting);
    watch.poll(now += 1s);
    const std::string told = messages.str();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
    EXPECT_EQ(told.rfind("simhost: " + module.string() + ": ", 0), 0u) << told;
    host.draw();

    fs::copy_file(tavorindenModule(), module, fs::copy_options::overwrite_existing);
    watch.poll(now += 1ms);
    EXPECT_TRUE(watch.poll(now += FileWatch::kSettle)) << messages.str();
    EXPECT_EQ(host.variables().find("cl_tavorinden")->text(), "0");
}

// A rebuild brings its own default, bounds and description; the value stays, clamped into the
// new bounds, which is told.
TEST_F(WatchedCopy, AReloadTakesTheNewDefinitionAndTellsAClamp) {
    ASSERT_TRUE(loadCopyOf(modulePath("fixture_wider_switch"))) << messages.str();
    const std::string told = "simhost: " + module.string() + ": ";

    fs::copy_file(modulePath("fixture_switch"), module, fs::copy_options::overwrite_existing);
    ASSERT_TRUE(console.reload()) << messages.str();
    EXPECT_EQ(messages.str(), told + "loaded again\n" + told +
                                  "\"fixture_enabled\" was 3; its new bounds clamp it to 1\n");
    messages.str("");
    console.run("fixture_enabled");
    EXPECT_EQ(messages.str(),
              "fixture_enabled = \"1\" (default \"1\", min 0, max 1) - fixture switch\n");

    // Wider again: nothing to clamp, and the value the player left stays.
    console.run("fixture_enabled 0");
    fs::copy_file(modulePath("fixture_wider_switch"), module, fs::copy_options::overwrite_existing);
    messages.str("");
    ASSERT_TRUE(console.reload()) << messages.str();
    console.run("fixture_enabled");
    EXPECT_EQ(messages.str(), told + "loaded again\n" +
                                  "fixture_enabled = \"0\" (default \"3\", min 0, max 4) - "
                                  "fixture switch up to 4\n");
}

// A linker that writes the file in pieces and pauses between them for longer than the watch's
// settling time: the half-written file fails to load, untold, and the whole one loads.
TEST_F(WatchedCopy, APauseInTheMiddleOfAWriteIsNoFailure) {
    ASSERT_TRUE(loadCopyOf(tavorindenModule())) << messages.str();
    auto now = FileWatch::Clock::now();
    simhost::ModuleWatch watch(console, now);

    std::ifstream built(modulePath("tavorinden_rebuilt"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(built), {}};
    const std::size_t half = 3000;  // headers, and none of the code
    writeFile(module, bytes.substr(0, half));
    watch.poll(now += 1ms);
    EXPECT_FALSE(watch.poll(now += FileWatch::kSettle));
    watch.poll(now += FileWatch::kSettle * 5);  // the linker's pause
    std::ofstream(module, std::ios::binary | std::ios::app) << bytes.substr(half);
    watch.poll(now += 1ms);
    EXPECT_TRUE(watch.poll(now += FileWatch::kSettle));
    watch.poll(now += simhost::ModuleWatch::kLasting * 2);
    EXPECT_EQ(messages.str(), "simhost: " + module.string() + ": loaded again\n");
}

// One copy at a time: the one loaded. Each new copy takes the previous one's place, and none is
// left once the copies go.
TEST(PrivateCopies, KeepOnlyTheLatestCopy) {
    std::optional<simhost::PrivateCopies> copies(std::in_place);
    const fs::path first = copies->copyOf(tavorindenModule());
    const fs::path second = copies->copyOf(tavorindenModule());
    EXPECT_FALSE(fs::exists(first));
    ASSERT_TRUE(fs::exists(second));
    EXPECT_EQ(fs::file_size(second), fs::file_size(tavorindenModule()));
    copies.reset();
    EXPECT_FALSE(fs::exists(second));
}

// A file larger than any module (a sparse one costs nothing on disk) is refused, not copied
// into memory whole.
TEST(PrivateCopies, RefuseAFileLargerThanAnyModule) {
    ScratchDirectory scratch;
    const fs::path big = scratch / "big.so";
    std::ofstream(big).close();
    fs::resize_file(big, std::uintmax_t{2048} << 20);
    simhost::PrivateCopies copies;
    try {
        copies.copyOf(big);
        ADD_FAILURE() << "copied a file of 2048 MiB";
    } catch (const simhost::HostError& error) {
        EXPECT_EQ(std::string(error.what()),
                  big.string() +
                      ": cannot copy it for loading: it is 2048 MiB, more than any plug-in "
                      "module (256 MiB at most)");
    }
    fs::resize_file(big, simhost::PrivateCopies::kLargestModule + 1);
    EXPECT_THROW(copies.copyOf(big), simhost::HostError);
}

// A program the plug-in starts does not get the copy: it closes on exec.
TEST(PrivateCopies, AreNotInheritedByProgramsStarted) {
#if defined(_WIN32)
    GTEST_SKIP() << "a Windows copy is a file, not a descriptor";
#else
    simhost::PrivateCopies copies;
    const fs::path copy = copies.copyOf(tavorindenModule());
    ASSERT_EQ(fs::read_symlink(copy).string().rfind("/memfd:", 0), 0u) << copy;
    const std::string started = "case $(readlink /proc/$$/fd/" + copy.filename().string() +
                                ") in /memfd:*) exit 1;; esac; exit 0";
    EXPECT_EQ(std::system(("sh -c '" + started + "'").c_str()), 0);
#endif
}

// A Windows session that was killed leaves its folder of copies; the next one removes the folders
// of sessions whose process is gone, and nothing else.
TEST(PrivateCopies, RemoveTheFoldersOfSessionsThatAreGone) {
#if !defined(_WIN32)
    GTEST_SKIP() << "on Linux a copy is never on disk";
#else
    const fs::path gone = fs::temp_directory_path() / "simhost-4294967290";
    const fs::path other = fs::temp_directory_path() / "simhost-of-something-else";
    fs::create_directories(gone / "1");
    fs::create_directories(other);
    { simhost::PrivateCopies copies; }
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_TRUE(fs::exists(other));
    fs::remove_all(other);
#endif
}

// What takes the module file's place is named for what it is, not for a failed copy.
TEST(ModuleWatch, TellsWhatTookTheFilesPlace) {
    ScratchDirectory scratch;
    const fs::path module = scratch / tavorindenModule().string();
    simhost::Host host({64, 64});
    std::ostringstream messages;
    simhost::PrivateCopies copies;
    simhost::Console console(host, module, messages);
    console.usePrivateCopies(copies);
    fs::create_directory(module);
    EXPECT_FALSE(console.loadModule());
    EXPECT_EQ(messages.str(), "simhost: " + module.string() + ": is a directory, not a module\n");
#if !defined(_WIN32)
    fs::remove(module);
    ASSERT_EQ(mkfifo(module.c_str(), 0600), 0);
    messages.str("");
    EXPECT_FALSE(console.loadModule());
    EXPECT_EQ(messages.str(), "simhost: " + module.string() + ": is not a regular file\n");
#endif
}

// The module's file is the one named at the start, wherever the plug-in goes meanwhile.
TEST(ModuleWatch, FollowsTheFileAfterThePluginChangesDirectory) {
    const fs::path start = fs::current_path();
    ScratchDirectory scratch;
    fs::copy_file(modulePath("misbehaving_chdirs"), scratch / "plugin" TEST_MODULE_SUFFIX);
#if defined(_WIN32)
    fs::copy_file("bakkesmod.dll", scratch / "bakkesmod.dll");
#endif
    simhost::importsBeside(scratch / "plugin" TEST_MODULE_SUFFIX);
    fs::current_path(scratch / "");
    simhost::Host host({64, 64});
    std::ostringstream log;
    std::ostringstream messages;
    host.log().setEcho(&log);
    simhost::PrivateCopies copies;
    simhost::Console console(host, "plugin" TEST_MODULE_SUFFIX, messages);
    console.usePrivateCopies(copies);
    const bool loaded = console.loadModule();
    fs::current_path(start);  // the plug-in went elsewhere
    ASSERT_TRUE(loaded) << messages.str();

    auto now = FileWatch::Clock::now();
    simhost::ModuleWatch watch(console, now);
    fs::copy_file(modulePath("tavorinden_rebuilt"), scratch / "staged");
    fs::rename(scratch / "staged", scratch / "plugin" TEST_MODULE_SUFFIX);
    watch.poll(now += 1ms);
    EXPECT_TRUE(watch.poll(now += FileWatch::kSettle)) << messages.str();
    EXPECT_EQ(log.str(),
              "misbehaving fixture loaded\nTavorinden version: " TAVORINDEN_VERSION "-rebuilt\n");
    fs::current_path(start);
}

// The whole program, its console read on a thread of its own while the file is watched.
TEST(ModuleWatch, InteractiveSessionRunsTheLinesInOrder) {
    const SimhostRun run =
        runSimhost({"--interactive", "--watch", tavorindenModule().string()},
                   "cl_tavorinden 0\nplugin unload\nplugin load\ncl_tavorinden\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Tavorinden version: " TAVORINDEN_VERSION
                       "\nTavorinden version: " TAVORINDEN_VERSION "\n");
    EXPECT_NE(run.err.find("cl_tavorinden = \"0\""), std::string::npos) << run.err;
}

// The console's reader thread reads standard input while the host's thread writes standard
// output: a read must not flush the output under the writer.
TEST(ConsoleLines, StandardInputIsTiedToNothing) {
    simhost::prepareStandardStreams();
    EXPECT_EQ(std::cin.tie(), nullptr);
}

TEST(FrameTimes, MedianAndNinetyNinthPercentileByNearestRank) {
    simhost::FrameTimes times(100);
    EXPECT_EQ(times.median().count(), 0);
    for (int ms = 100; ms >= 1; --ms) {
        // The bytes of a frame go with it: most frames send nothing.
        times.record(simhost::FrameTimes::Duration(ms), ms > 95 ? 1000u * ms : 0u);
    }
    EXPECT_EQ(times.median().count(), 50);
    EXPECT_EQ(times.percentile(99).count(), 99);
    EXPECT_EQ(times.percentile(100).count(), 100);
    EXPECT_EQ(times.uploadedPercentile(50), 0u);
    EXPECT_EQ(times.uploadedPercentile(97), 97000u);
    EXPECT_EQ(times.uploadedPercentile(99), 99000u);

    // Where percent times count is no whole rank, the next rank up: 30 % of 7 frames is rank
    // 3 (2.1 rounded up), 50 % rank 4 (3.5), 99 % rank 7; no interpolation between two frames.
    simhost::FrameTimes seven(7);
    for (int ms : {40, 10, 70, 30, 60, 20, 50}) {
        seven.record(simhost::FrameTimes::Duration(ms), 0);
    }
    EXPECT_EQ(seven.percentile(0).count(), 10);
    EXPECT_EQ(seven.percentile(30).count(), 30);
    EXPECT_EQ(seven.median().count(), 40);
    EXPECT_EQ(seven.percentile(99).count(), 70);
    EXPECT_EQ(seven.percentile(14.3).count(), 20);
}

// Frames are paced one refresh apart, in nanoseconds, whatever rate the screen tells.
TEST(Display, RefreshPeriodFromTheScreensRate) {
    using std::chrono::nanoseconds;
    EXPECT_EQ(simhost::refreshPeriodAt(60), nanoseconds(16'666'666));
    EXPECT_EQ(simhost::refreshPeriodAt(144), nanoseconds(6'944'444));
    EXPECT_EQ(simhost::refreshPeriodAt(1), nanoseconds(1'000'000'000));
    EXPECT_EQ(simhost::refreshPeriodAt(0), nanoseconds(16'666'666));
    EXPECT_EQ(simhost::refreshPeriodAt(-75), nanoseconds(16'666'666));
}

// A window's picture takes canvas rows as they stand, and only the rows of the changed areas
// that differ from what it shows: one rectangle per run of such rows, as wide as the area.
TEST(ChangedRows, CopiesOnlyTheRowsThatDiffer) {
    simhost::Canvas canvas(6, 5);
    constexpr std::ptrdiff_t kPitch = 24;  // 6 pixels of 4 bytes
    std::vector<std::uint32_t> window(30, 0);
    const simhost::ShownPixels shown{reinterpret_cast<std::byte*>(window.data()), kPitch};
    canvas.setColor({0x11, 0x22, 0x33, 0xFF});
    canvas.drawRect({0, 0}, {6, 5});
    simhost::copyAll(canvas, shown);
    EXPECT_EQ(window[29], 0xFF112233U);  // 0xAARRGGBB: the layout X11 and Windows windows keep

    simhost::CanvasAreas changed;
    changed.add({1, 0, 4, 5});
    std::vector<simhost::CanvasArea> copied;
    simhost::copyChanged(canvas, changed, shown, copied);
    EXPECT_TRUE(copied.empty()) << "nothing differs from what the window shows";

    canvas.setColor({0xA0, 0xB0, 0xC0, 0xFF});
    canvas.drawRect({2, 1}, {3, 3});  // rows 1 and 2
    canvas.drawRect({5, 4}, {6, 5});  // outside the changed area: not looked at
    simhost::copyChanged(canvas, changed, shown, copied);
    EXPECT_EQ(copied, (std::vector<simhost::CanvasArea>{{1, 1, 4, 3}}));
    EXPECT_EQ(simhost::bytesIn(copied), 3u * 2u * 4u);
    EXPECT_EQ(window[1 * 6 + 2], 0xFFA0B0C0U);
    EXPECT_EQ(window[4 * 6 + 5], 0xFF112233U);
    copied.clear();
    simhost::copyChanged(canvas, changed, shown, copied);
    EXPECT_TRUE(copied.empty()) << "copied rows are alike afterwards";
}

// A display that shows nothing and plays back what a person did.
class ScriptedDisplay final : public simhost::Display {
public:
    explicit ScriptedDisplay(std::vector<std::vector<simhost::DisplayEvent>> script)
        : script_(std::move(script)) {}
    Vector2 outputSize() const override { return size; }
    std::chrono::nanoseconds refreshPeriod() const override { return {}; }
    void setTitle(const std::string& title) override { titles.push_back(title); }
    std::size_t show(const simhost::Canvas& canvas, const simhost::CanvasAreas& areas) override {
        shown.push_back(std::to_string(canvas.width()) + "x" + std::to_string(canvas.height()));
        changed.emplace_back(areas.areas().begin(), areas.areas().end());
        return 0;
    }
    std::vector<simhost::DisplayEvent> events() override {
        if (next_ == script_.size()) {
            return {simhost::DisplayEvent::Quit};
        }
        return script_[next_++];
    }

    Vector2 size{64, 36};
    std::vector<std::string> titles;
    std::vector<std::string> shown;
    std::vector<std::vector<simhost::CanvasArea>> changed;

private:
    std::vector<std::vector<simhost::DisplayEvent>> script_;
    std::size_t next_ = 0;
};

// The window's answers to a person, frame by frame, without SDL: F1 flips the module's switch
// as typing would, a resize moves the canvas, F5 reloads (and F1 still finds the switch),
// Escape ends the run.
TEST(Window, AnswersWhatThePersonDoes) {
    using simhost::DisplayEvent;
    simhost::Host host({32, 18});
    std::ostringstream log;
    std::ostringstream messages;
    host.log().setEcho(&log);
    simhost::Console console(host, tavorindenModule(), messages);
    ASSERT_TRUE(console.loadModule());
    std::istringstream typed;
    simhost::ConsoleSession session(console, typed, log, messages, false,
                                    simhost::ConsoleSession::AtInputEnd::GoOn);
    ScriptedDisplay display({{},
                             {DisplayEvent::Flip},
                             {DisplayEvent::Resized},
                             {DisplayEvent::Reload},
                             {DisplayEvent::Flip, DisplayEvent::Flip, DisplayEvent::Flip}});
    const simhost::WindowRun run;
    simhost::Window window(host, session, display, run, messages);
    simhost::BetweenTurns* between[] = {&window};
    EXPECT_EQ(simhost::pump(session, between, std::chrono::milliseconds(0)), 0);
    EXPECT_EQ(window.finish(), 0);

    EXPECT_EQ(display.shown,
              (std::vector<std::string>{"32x18", "32x18", "64x36", "64x36", "64x36"}));
    // What each frame may have changed goes to the display: first everything, then the band
    // that F1 took away (40 % to 60 % of 32, 8.5 % of 18), then everything at the new size.
    using Areas = std::vector<simhost::CanvasArea>;
    ASSERT_EQ(display.changed.size(), 5u);
    EXPECT_EQ(display.changed[0], (Areas{{0, 0, 32, 18}}));
    EXPECT_EQ(display.changed[1], (Areas{{12, 0, 19, 1}}));
    EXPECT_EQ(display.changed[2], (Areas{{0, 0, 64, 36}}));
    ASSERT_FALSE(display.titles.empty());
    EXPECT_EQ(display.titles.front(),
              "Tavorinden " TAVORINDEN_VERSION " | 32x18 | cl_tavorinden 1 | 0 fps");
    EXPECT_EQ(display.titles.back().rfind(
                  "Tavorinden " TAVORINDEN_VERSION " | 64x36 | cl_tavorinden 1 | ", 0),
              0u)
        << ::testing::PrintToString(display.titles);
    EXPECT_EQ(log.str(), "Tavorinden version: " TAVORINDEN_VERSION
                         "\nTavorinden version: " TAVORINDEN_VERSION "\n");
    EXPECT_NE(messages.str().find(": loaded again\n"), std::string::npos) << messages.str();
}

// Counts the host's draws into the module.
struct DrawCounter final : simhost::ModuleCallWatch {
    void calling(simhost::ModuleCall call) override { draws += call == simhost::ModuleCall::Draw; }
    int draws = 0;
};

// Whatever changes, the host draws every frame, the plug-in's drawable once; flipped before
// every frame, the switch alternates and each frame tells the display the band's area.
TEST(Window, DrawsEveryFrameAndFlipsBeforeEachWhenAsked) {
    simhost::Host host({32, 18});
    host.setScene([](simhost::Canvas& canvas) { canvas.fill({10, 20, 30, 255}); });
    DrawCounter counter;
    host.setCallWatch(&counter);
    std::ostringstream sink;
    simhost::Console console(host, tavorindenModule(), sink);
    ASSERT_TRUE(console.loadModule());
    std::istringstream typed;
    simhost::ConsoleSession session(console, typed, sink, sink, false,
                                    simhost::ConsoleSession::AtInputEnd::GoOn);
    ScriptedDisplay display({{}, {}, {}, {}, {}});
    simhost::WindowRun run;
    run.flipEachFrame = true;
    simhost::Window window(host, session, display, run, sink);
    simhost::BetweenTurns* between[] = {&window};
    EXPECT_EQ(simhost::pump(session, between, std::chrono::milliseconds(0)), 0);
    EXPECT_EQ(counter.draws, 5);
    EXPECT_EQ(host.variables().find("cl_tavorinden")->text(), "0");
    using Areas = std::vector<simhost::CanvasArea>;
    const Areas band{{12, 0, 19, 1}};
    EXPECT_EQ(display.changed, (std::vector<Areas>{{{0, 0, 32, 18}}, band, band, band, band}));
    EXPECT_EQ(sink.str(), "");
}

// F1 flips the variable named for it, and says so when there is none.
TEST(Window, FlipsTheVariableNamedForIt) {
    simhost::Host host({8, 8});
    std::ostringstream sink;
    simhost::Console console(host, tavorindenModule(), sink);
    ASSERT_TRUE(console.loadModule());
    std::istringstream typed;
    simhost::ConsoleSession session(console, typed, sink, sink, false,
                                    simhost::ConsoleSession::AtInputEnd::GoOn);
    ScriptedDisplay display({{simhost::DisplayEvent::Flip}});
    simhost::WindowRun run;
    run.toggle = "no_such_switch";
    simhost::Window window(host, session, display, run, sink);
    simhost::BetweenTurns* between[] = {&window};
    simhost::pump(session, between, std::chrono::milliseconds(0));
    EXPECT_EQ(host.variables().find("cl_tavorinden")->text(), "1");
    EXPECT_NE(
        sink.str().find("simhost: F1: there is no console variable \"no_such_switch\" to flip\n"),
        std::string::npos)
        << sink.str();

    // Flipped before every frame, a missing switch is told once, not once a frame.
    ScriptedDisplay frames({{}, {}, {}});
    run.flipEachFrame = true;
    std::ostringstream told;
    simhost::Window flipping(host, session, frames, run, told);
    simhost::BetweenTurns* each[] = {&flipping};
    simhost::pump(session, each, std::chrono::milliseconds(0));
    EXPECT_EQ(frames.shown.size(), 3u);
    EXPECT_EQ(told.str(), "simhost: F1: there is no console variable \"no_such_switch\" to flip\n");
}

// F1 flips the module's switch itself, not a typed line: a name holding ';' runs nothing else.
TEST(Window, FlipsTheSwitchWhateverItsName) {
    simhost::Host host({8, 8});
    std::ostringstream sink;
    simhost::Console console(host, modulePath("misbehaving_names_a_separator"), sink);
    ASSERT_TRUE(console.loadModule());
    std::istringstream typed;
    simhost::ConsoleSession session(console, typed, sink, sink, false,
                                    simhost::ConsoleSession::AtInputEnd::GoOn);
    ScriptedDisplay display({{simhost::DisplayEvent::Flip}, {}});
    const simhost::WindowRun run;
    simhost::Window window(host, session, display, run, sink);
    simhost::BetweenTurns* between[] = {&window};
    EXPECT_EQ(simhost::pump(session, between, std::chrono::milliseconds(0)), 0);
    EXPECT_EQ(host.variables().find("a;quit")->text(), "0");
    EXPECT_EQ(display.shown.size(), 2u);
    EXPECT_EQ(sink.str(), "");
}

TEST(Window, ABuildWithoutOneRefusesInOneLine) {
    if (simhost::displayAvailable()) {
        GTEST_SKIP() << "this build has a window; the tests under X show it";
    }
    const SimhostRun run = runSimhost({"--window", tavorindenModule().string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "simhost: --window: this simhost was built without SDL2 and cannot open a window; "
              "use --screenshot or --interactive\n");
    EXPECT_TRUE(run.out.empty());
}

}  // namespace
