#include <gtest/gtest.h>

#include <string>

#include "simhost_run.h"
#include "test_modules.h"

namespace {

// A console session typed on standard input, after the module is loaded and nothing drawn.
SimhostRun session(const std::string& input) {
    return runSimhost({"--frames", "0", "--interactive", tavorindenModule().string()}, input);
}

bool says(const SimhostRun& run, const std::string& text) {
    return run.err.find(text) != std::string::npos;
}

TEST(SimhostConsole, SetsRefusesAndClampsTheSwitch) {
    const SimhostRun run = session(
        "cl_tavorinden 0\n"
        "cl_tavorinden\n"
        "cl_tavorinden abc\n"
        "cl_tavorinden 7\n"
        "cl_tavorinden\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Tavorinden version: 1.02\n");
    EXPECT_TRUE(says(run, "cl_tavorinden = \"0\" (default \"1\", min 0, max 1) - Tavorinden!\n"))
        << run.err;
    EXPECT_TRUE(says(run, "\"abc\" is not a number; cl_tavorinden stays 0\n")) << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden: \"7\" clamped to 1, the largest value allowed\n"))
        << run.err;
    EXPECT_TRUE(says(run, "cl_tavorinden = \"1\" (default")) << run.err;
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
    EXPECT_EQ(run.out, "Tavorinden version: 1.02\nTavorinden version: 1.02\n");
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

TEST(SimhostConsole, QuitEndsTheSession) {
    const SimhostRun run = session("quit\njump\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(says(run, "jump")) << run.err;
}

}  // namespace
