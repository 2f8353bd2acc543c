#include <gtest/gtest.h>

#include <string>

#include "program/console/command_split.h"
#include "program/console/console_input.h"
#include "program/output/shown_text.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

using simhost::ConsoleInput;

// A console session typed on standard input, after the module is loaded and nothing drawn.
SimhostRun session(const std::string& input) {
    return runSimhost({"--frames", "0", "--interactive", tavorindenModule().string()}, input);
}

bool says(const SimhostRun& run, const std::string& text) {
    return run.err.find(text) != std::string::npos;
}

TEST(SimhostConsole, SetsRefusesAndClampsTheSwitch) {
    const SimhostRun bounds = session("cl_tavorinden 0\ncl_tavorinden 1\n");
    EXPECT_EQ(bounds.err, "") << "a value at a bound is taken as it is";
    const SimhostRun run = session(
        "cl_tavorinden 0\n"
        "cl_tavorinden\n"
        "cl_tavorinden abc\n"
        "cl_tavorinden 7\n"
        "cl_tavorinden\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Tavorinden version: " TAVORINDEN_VERSION "\n");
    EXPECT_TRUE(says(run, "cl_tavorinden = \"0\" (default \"1\", min 0, max 1) - Tavorinden!\n"))
        << run.err;
    EXPECT_TRUE(
        says(run, "simhost: \"abc\" is not a plain decimal number; cl_tavorinden stays 0\n"))
        << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden: \"7\" clamped to 1, the largest value allowed\n"))
        << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden = \"1\" (default")) << run.err;
}

// A count is taken at its limit and refused one past it.
TEST(SimhostConsole, DrawsAtMostTheLimitInOneCommand) {
    const SimhostRun run = session("size 1x1\ndraw 100000\ndraw 100001\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "simhost: draw: \"100001\" is out of range; it must be from 0 to 100000\n");
}

// Input that ends without a line end still ends its last line, whole.
TEST(SimhostConsole, TheLastLineNeedsNoLineEnd) {
    const SimhostRun run = session("cl_tavorinden 0\ncl_tavorinden");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "cl_tavorinden = \"0\" (default \"1\", min 0, max 1) - Tavorinden!\n");
}

TEST(SimhostConsole, ShowsWhatWasTypedSafely) {
    const SimhostRun run = session("cl_tavorinden \"1" + std::string(1, '\0') + "0\"\n");
    EXPECT_TRUE(
        says(run, "simhost: \"1\\x000\" is not a plain decimal number; cl_tavorinden stays 1\n"))
        << run.err;
}

TEST(SimhostConsole, UnknownCommandsAreToldAndTheSessionGoesOn) {
    const SimhostRun run = session("jump\ncl_tavorinden 0\ncl_tavorinden\n");
    EXPECT_TRUE(says(run, "Unknown command \"jump\"; type help for the commands\n")) << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden = \"0\"")) << run.err;
}

TEST(SimhostConsole, UnloadAndReloadLogTheVersionAgain) {
    const SimhostRun run = session(
        "plugin unload\n"
        "draw 3\n"
        "plugin unload\n"
        "plugin load Tavorinden\n"
        "plugin load\n"
        "plugin load Other\n");
    EXPECT_EQ(run.out, "Tavorinden version: " TAVORINDEN_VERSION
                       "\nTavorinden version: " TAVORINDEN_VERSION "\n");
    EXPECT_TRUE(says(run, "Tavorinden is not loaded\n")) << run.err;
    EXPECT_TRUE(says(run, "is already loaded\n")) << run.err;
    EXPECT_TRUE(says(run, "no plug-in named \"Other\"")) << run.err;
}

TEST(SimhostConsole, LinesHoldSeveralCommandsQuotesAndComments) {
    const SimhostRun run = session(
        "// a comment; bogus\n"
        "cl_tavorinden \"0\"; cl_tavorinden\n"
        "\n"
        "size 640x480;size\n"
        "size 0x0\n"
        "draw x\n");
    EXPECT_FALSE(says(run, "bogus")) << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden = \"0\"")) << run.err;
    EXPECT_TRUE(says(run, "canvas is 640x480")) << run.err;
    EXPECT_TRUE(says(run, "size: size \"0x0\" is out of range")) << run.err;
    EXPECT_TRUE(says(run, "draw: \"x\" is not a whole number")) << run.err;
}

// A word reads back as itself unquoted exactly when typedAsItIs says so: what the explore
// check's replays rely on to quote what needs it.
TEST(SimhostConsole, WordsTypedAsTheyAre) {
    for (const std::string word : {"cl_x", "1.5", "-", "a\\b", "ü"}) {
        EXPECT_TRUE(simhost::typedAsItIs(word)) << word;
        EXPECT_EQ(simhost::splitCommands(word).commands,
                  (std::vector<std::vector<std::string>>{{word}}));
    }
    for (const std::string word : {"", "a b", "a\tb", "a;b", "a\"b", "a//b", "a/b"}) {
        EXPECT_FALSE(simhost::typedAsItIs(word)) << word;
    }
}

TEST(SimhostConsole, RefusesWhatItCannotReadClearly) {
    const SimhostRun run = session(
        "cl_tavorinden 0\n"
        "cl_tavorinden \"1; draw\n"
        "CL_TAVORINDEN; Cl_Tavorinden 7\n"
        "screenshot picture\n"
        "draw 99999999999999999999\n" +
        std::string(ConsoleInput::kMaxLine + 1, ';') + "\ncl_tavorinden\n");
    EXPECT_TRUE(says(run,
                     "simhost: the double quote at column 15 is never closed; the line was "
                     "not run\ncl_tavorinden = \"0\""))
        << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden: \"7\" clamped to 1")) << run.err;
    EXPECT_TRUE(says(run, "screenshot: \"picture\" must name a .png file")) << run.err;
    EXPECT_TRUE(says(run, "draw: \"99999999999999999999\" is out of range; it must be from 0 to"))
        << run.err;
    EXPECT_TRUE(says(run,
                     "simhost: console line 6 is longer than 1048576 bytes; it was skipped\n"
                     "cl_tavorinden = \"1\""))
        << run.err;
}

TEST(SimhostConsole, TextIsShownWithoutTerminalControls) {
    // C0 and C1 controls and broken UTF-8 are escaped; other characters stay as they are.
    EXPECT_EQ(simhost::shown("a\x1b[2J\xc2\x9b\xff\xe2\x82 \xc3\xa9\xe2\x82\xac\x7f"),
              "a\\x1b[2J\\xc2\\x9b\\xff\\xe2\\x82 \xc3\xa9\xe2\x82\xac\\x7f");
    // The ends of the ranges: U+001F, U+0080 and U+009F are controls; U+0020 and U+00A0 are not.
    EXPECT_EQ(simhost::shown("\x1f \xc2\x80\xc2\x9f\xc2\xa0"),
              "\\x1f \\xc2\\x80\\xc2\\x9f\xc2\xa0");
}

TEST(SimhostConsole, SeparatorsCostNoMemory) {
    const auto split = simhost::splitCommands(std::string(100'000, ';') + "draw;;;");
    ASSERT_EQ(split.commands.size(), 1u);
    EXPECT_EQ(split.commands.capacity(), 1u);
}

TEST(SimhostConsole, QuitEndsTheSession) {
    const SimhostRun run = session("quit\njump\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(says(run, "jump")) << run.err;
    // A plug-in's variable named quit cannot keep the session from ending.
    const SimhostRun named = runSimhost(
        {"--frames", "0", "--interactive", modulePath("misbehaving_names_a_command").string()},
        "QUIT\njump\n");
    EXPECT_EQ(named.status, 0);
    EXPECT_EQ(named.err, "");
}

// Module texts in the variables' lines are escaped as everywhere else.
TEST(SimhostConsole, VariablesAreListedSafely) {
    const SimhostRun run = runSimhost({"--command", "cvarlist; \"fixture_\x1b[2J\nPASS forged\"",
                                       modulePath("misbehaving_hostile_texts").string()});
    EXPECT_EQ(run.err,
              "fixture_\\x1b[2J\\x0aPASS forged = \"1\" - "
              "fixture \\x1b]0;title\\x07switch\\x0d\\x0a1 console variable\n"
              "1 console variable\n"
              "fixture_\\x1b[2J\\x0aPASS forged = \"1\" (default \"1\", min 0, max 1) - "
              "fixture \\x1b]0;title\\x07switch\\x0d\\x0a1 console variable\n");
}

// A default the host refuses is told when the module loads, in the check's words, and the
// variable holds 0.
TEST(SimhostConsole, ADefaultTheHostRefusesIsToldAtLoad) {
    const std::string module = modulePath("broken_default_not_plain").string();
    const SimhostRun run =
        runSimhost({"--frames", "0", "--interactive", module}, "fixture_exponent\n");
    EXPECT_EQ(run.status, 0);
    const std::string told = "simhost: " + module + ": ";
    EXPECT_EQ(
        run.err,
        told + "\"fixture_blank\"'s default \" 1\" is not a plain decimal number; it holds 0\n" +
            told +
            "\"fixture_exponent\"'s default \"1e0\" is not a plain decimal number; it holds 0\n" +
            told + "\"fixture_hex\"'s default \"0x1\" is not a plain decimal number; it holds 0\n" +
            told + "\"fixture_plus\"'s default \"+1\" is not a plain decimal number; it holds 0\n" +
            "fixture_exponent = \"0\" (default \"1e0\", min 0, max 1) - fixture number\n");
}

}  // namespace
