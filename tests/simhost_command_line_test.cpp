#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program/cli/command_line.h"
#include "program/cli/program.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

using Arguments = std::vector<std::string>;

TEST(SimhostCommandLine, DefaultsAndEveryOption) {
    auto line = simhost::parseCommandLine({"Tavorinden.so"});
    ASSERT_TRUE(line) << line.reason();
    EXPECT_EQ(line->action, simhost::CommandLine::Action::Run);
    EXPECT_EQ(line->run.size.X, 1920);
    EXPECT_EQ(line->run.size.Y, 1080);
    EXPECT_EQ(line->run.frames, 1);
    EXPECT_FALSE(line->run.screenshot);
    EXPECT_FALSE(line->run.interactive);
    // A path from the root is a module on every system, not a Windows-style option.
    line = simhost::parseCommandLine({"/plugins/m.so"});
    ASSERT_TRUE(line) << line.reason();
    EXPECT_EQ(line->run.module, std::filesystem::path("/plugins/m.so"));

    line = simhost::parseCommandLine({"--size", "640x480", "--frames=2", "--command", "draw 2",
                                      "--command=cl_tavorinden 0", "--screenshot", "out.PNG",
                                      "--interactive", "--toggle=some_switch", "m.so"});
    ASSERT_TRUE(line) << line.reason();
    const simhost::RunOptions& run = line->run;
    EXPECT_EQ(run.size.X, 640);
    EXPECT_EQ(run.size.Y, 480);
    EXPECT_EQ(run.frames, 2);
    EXPECT_EQ(run.commands, (Arguments{"draw 2", "cl_tavorinden 0"}));
    // Resolved once, before a plug-in can change the working directory.
    EXPECT_EQ(run.screenshot, std::filesystem::absolute("out.PNG"));
    EXPECT_TRUE(run.interactive);
    EXPECT_EQ(run.toggle, "some_switch");
    EXPECT_EQ(run.module, std::filesystem::path("m.so"));

    line = simhost::parseCommandLine({"check", "--timeout=0.5", "--cycles", "20", "m.so"});
    ASSERT_TRUE(line) << line.reason();
    EXPECT_EQ(line->action, simhost::CommandLine::Action::Check);
    EXPECT_EQ(line->check.timeout.seconds, 0.5);
    EXPECT_EQ(line->check.timeout.given, "0.5");
    EXPECT_EQ(line->check.settings.cycles, 20);
    EXPECT_EQ(line->check.settings.module, std::filesystem::absolute("m.so"));
}

TEST(SimhostCommandLine, UsageErrorsSayWhichArgumentAndWhy) {
    const struct {
        Arguments arguments;
        const char* message;
    } cases[] = {
        {{}, "simhost: no module given\n"},
        {{"--size", "0x5", "m.so"},
         "simhost: --size: size \"0x5\" is out of range; each side must be from 1 to 16384\n"},
        {{"--size", "16385x10", "m.so"}, "each side must be from 1 to 16384"},
        {{"--size", "wide", "m.so"}, "--size: \"wide\" is not a size"},
        {{"--size=10x", "m.so"}, "--size: \"10x\" is not a size"},
        {{"--frames", "-1", "m.so"}, "--frames: \"-1\" is not a whole number"},
        {{"--frames", "many", "m.so"}, "--frames: \"many\" is not a whole number"},
        {{"--frames", "99999999999999999999", "m.so"},
         "--frames: \"99999999999999999999\" is out of range; it must be from 0 to 1000000"},
        {{"--frames=1000001", "m.so"}, "is out of range; it must be from 0 to 1000000"},
        {{"--size", "99999999999999999999x5", "m.so"}, "is out of range; each side must be"},
        {{""}, "simhost: the module's name is empty\n"},
        {{"--frames", "0", "--screenshot", "x.png", "m.so"}, "--frames 0 draws none"},
        {{"--screenshot", "shot.jpg", "m.so"}, "--screenshot: \"shot.jpg\" must name a .png"},
        {{"m.so", "--command"}, "simhost: --command: 1 required CMD missing\n"},
        {{"--interactive=yes", "m.so"},
         "simhost: interactive was given a disallowed flag override\n"},
        {{"--fast", "m.so"}, "simhost: The following argument was not expected: --fast\n"},
        {{"a.so", "b.so"}, "simhost: The following argument was not expected: b.so\n"},
        {{"--watch", "m.so"}, "simhost: --watch needs --window or --interactive\n"},
        {{"--flip-each-frame", "m.so"}, "simhost: --flip-each-frame needs --window\n"},
        {{"--window", "--frames", "0", "m.so"}, "--frames 0 shows none"},
        {{"--window=yes", "m.so"}, "simhost: window was given a disallowed flag override\n"},
    };
    for (const auto& c : cases) {
        const SimhostRun run = runSimhost(c.arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.substr(run.err.find('\n')), "\nTry 'simhost --help'.\n") << run.err;
        EXPECT_TRUE(run.out.empty());
    }
}

std::string expected(const std::string& name) {
    std::string text = fileBytes(std::filesystem::path(TEST_EXPECTED_DIR) / name);
    std::erase(text, '\r');  // however the checkout ended its lines
    return text;
}

// Each help is the whole text a person reads; a help that cannot be written is a failure.
TEST(SimhostCommandLine, HelpAndVersion) {
    const struct {
        Arguments arguments;
        std::string text;
    } cases[] = {
        {{"--help"}, expected("simhost-help.txt")},
        {{"check", "--help"}, expected("simhost-check-help.txt")},
        {{"--version"}, "simhost " TAVORINDEN_VERSION "\n"},
    };
    for (const auto& c : cases) {
        const SimhostRun run = runSimhost(c.arguments);
        EXPECT_EQ(run.status, 0) << c.arguments.back();
        EXPECT_EQ(run.out, c.text);
        EXPECT_EQ(run.err, "");

        std::istringstream in;
        std::ostream lost(nullptr);  // every write fails, as on a full disk
        std::ostringstream err;
        EXPECT_EQ(simhost::runSimhost(c.arguments, in, lost, err, false), 1);
        EXPECT_EQ(err.str(), "simhost: cannot write the console log to standard output\n");
    }
}

// Every counted value is taken at its limit and refused one past it, with the limit named.
TEST(SimhostCommandLine, CountedOptionsAtTheirLimits) {
    const struct {
        Arguments atLimit;
        Arguments pastLimit;
        const char* refusal;
    } cases[] = {
        {{"--frames", "1000000", "m.so"},
         {"--frames", "1000001", "m.so"},
         "simhost: --frames: \"1000001\" is out of range; it must be from 0 to 1000000\n"},
        {{"--size", "16384x16384", "m.so"},
         {"--size", "16384x16385", "m.so"},
         "simhost: --size: size \"16384x16385\" is out of range; each side must be from 1 to "
         "16384\n"},
        {{"--size", "1x1", "m.so"},
         {"--size", "1x0", "m.so"},
         "simhost: --size: size \"1x0\" is out of range; each side must be from 1 to 16384\n"},
        {{"check", "--cycles", "100000", "m.so"},
         {"check", "--cycles", "100001", "m.so"},
         "simhost: --cycles: \"100001\" is out of range; it must be from 0 to 100000\n"},
        {{"check", "--cycles", "10", "m.so"},
         {"check", "--cycles", "9", "m.so"},
         "simhost: --cycles: \"9\" cannot show growth; at least 10 are needed\n"},
        {{"check", "--timeout", "3600", "m.so"},
         {"check", "--timeout", "3600.001", "m.so"},
         "simhost: --timeout: \"3600.001\" is not a number of seconds above 0, at most 3600\n"},
        {{"check", "--sessions", "100000", "m.so"},
         {"check", "--sessions", "100001", "m.so"},
         "simhost: --sessions: \"100001\" is out of range; it must be from 0 to 100000\n"},
        {{"check", "--sessions", "1", "m.so"},
         {"check", "--sessions", "0", "m.so"},
         "simhost: --sessions: \"0\" is not a whole number from 1 to 100000\n"},
        {{"check", "--steps", "64", "m.so"},
         {"check", "--steps", "65", "m.so"},
         "simhost: --steps: \"65\" is out of range; it must be from 0 to 64\n"},
        {{"check", "--seed", "9223372036854775807", "m.so"},
         {"check", "--seed", "-1", "m.so"},
         "simhost: --seed: \"-1\" is not a whole number from 0 to 9223372036854775807\n"},
        {{"check", "--replay", "load; draw 16384x0", "m.so"},
         {"check", "--replay", "load; draw 16384x", "m.so"},
         "simhost: --replay: step 2: \"16384x\" is not a size; write it as WIDTHxHEIGHT, for "
         "example 1920x1080\n"},
        {{"check", "--replay", "draw 0x16384", "m.so"},
         {"check", "--replay", "draw 0x16385", "m.so"},
         "simhost: --replay: step 1: size \"0x16385\" is out of range; each side must be from 0 "
         "to 16384\n"},
    };
    for (const auto& c : cases) {
        const auto taken = simhost::parseCommandLine(c.atLimit);
        EXPECT_TRUE(taken) << c.atLimit[c.atLimit.size() - 2] << ": " << taken.reason();
        const SimhostRun refused = runSimhost(c.pastLimit);
        EXPECT_EQ(refused.status, 2);
        EXPECT_EQ(refused.err.substr(0, refused.err.find('\n') + 1), c.refusal);
    }
    const auto largest =
        simhost::parseCommandLine({"--frames", "1000000", "--size=16384x1", "m.so"});
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->run.frames, 1'000'000);
    EXPECT_EQ(largest->run.size.X, 16384);
    EXPECT_EQ(largest->run.size.Y, 1);
}

TEST(SimhostCommandLine, TheLogAloneGoesToStandardOutput) {
    const SimhostRun run = runSimhost({"--command", "cvarlist", tavorindenModule().string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Tavorinden version: " TAVORINDEN_VERSION "\n");
    EXPECT_NE(run.err.find("cl_tavorinden = \"1\" - Tavorinden!"), std::string::npos);
}

TEST(SimhostCommandLine, FailuresToLoadOrRunEndWithStatusOne) {
    SimhostRun run = runSimhost({modulePath("fixture_api_72").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        run.err.rfind("simhost: fixture_api_72" TEST_MODULE_SUFFIX ": was built for host API", 0),
        0u)
        << run.err;

    ScratchDirectory scratch;
    run = runSimhost(
        {"--screenshot", (scratch / "missing" / "shot.png").string(), tavorindenModule().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("shot.png: cannot write: "), std::string::npos) << run.err;

    // A failing command is reported, the rest still runs, and the status tells.
    run = runSimhost({"--command", "bogus", "--command", "cl_tavorinden 0", "--command",
                      "cl_tavorinden", tavorindenModule().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Unknown command \"bogus\""), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cl_tavorinden = \"0\""), std::string::npos) << run.err;
}

TEST(SimhostCommandLine, AFailureOnTheWayOutIsToldAsAnError) {
    const auto module = modulePath("misbehaving_throws_in_onunload").string();
    const SimhostRun run = runSimhost({"--frames", "0", module});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "misbehaving fixture loaded\n");
    EXPECT_EQ(run.err, "simhost: " + module + ": onUnload failed: fixture failure in onUnload\n");
}

#if !defined(_WIN32)  // Windows file names hold no control characters
TEST(SimhostCommandLine, EveryErrorNamesTheFileOnceAndSafely) {
    ScratchDirectory scratch;
    const auto file = scratch / "bad\x1b[31mname\n.so";
    std::ofstream(file) << "not a module\n";
    const SimhostRun run = runSimhost({file.string()});
    EXPECT_EQ(run.status, 1);
    const std::string shownName = (scratch / "bad\\x1b[31mname\\x0a.so").string();
    EXPECT_EQ(run.err, "simhost: " + shownName + ": not a loadable module (file too short)\n");
}
#endif

TEST(SimhostCommandLine, LostOutputIsAFailure) {
    std::istringstream in;
    std::ostream lost(nullptr);  // every write fails, as on a full disk
    std::ostringstream err;
    EXPECT_EQ(simhost::runSimhost({tavorindenModule().string()}, in, lost, err, false), 1);
    EXPECT_EQ(err.str(), "simhost: cannot write the console log to standard output\n");
}

}  // namespace
