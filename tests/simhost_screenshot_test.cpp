#include <gtest/gtest.h>

#include <string>

#include "picture.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

TEST(SimhostScreenshot, TheBandIsBlackExactlyWhereItBelongs) {
    ScratchDirectory scratch;
    for (const char* size : {"1920x1080", "1366x768", "1024x768", "333x200", "5x5"}) {
        SCOPED_TRACE(size);
        const auto on = scratch / "on.png";
        const auto off = scratch / "off.png";
        ASSERT_EQ(
            runSimhost({"--size", size, "--screenshot", on.string(), tavorindenModule().string()})
                .status,
            0);
        ASSERT_EQ(runSimhost({"--size", size, "--command", "cl_tavorinden 0", "--screenshot",
                              off.string(), tavorindenModule().string()})
                      .status,
                  0);
        const Picture covered = readPng(on);
        EXPECT_EQ(std::to_string(covered.width) + "x" + std::to_string(covered.height), size);
        EXPECT_EQ(misplacedPixels(covered, true), 0);
        EXPECT_EQ(misplacedPixels(readPng(off), false), 0);
    }
}

TEST(SimhostScreenshot, TheConsoleCanTakeThemToo) {
    ScratchDirectory scratch;
    const auto first = scratch / "first.png";
    const auto second = scratch / "second.png";
    const SimhostRun run = runSimhost({"--interactive", tavorindenModule().string()},
                                      "screenshot " + first.string() +
                                          "\ncl_tavorinden 0; size 800x600; draw; screenshot " +
                                          second.string() + "\nscreenshot\n");
    EXPECT_NE(run.err.find("usage: screenshot FILE.png"), std::string::npos) << run.err;
    const Picture covered = readPng(first);
    EXPECT_EQ(covered.width, 1920);
    EXPECT_EQ(misplacedPixels(covered, true), 0);
    // The scene's own colours, each channel where it belongs: the sky at the top left and the
    // score panel beside the band.
    EXPECT_EQ(covered.at(0, 0), (simhost::Rgba{70, 130, 200, 255}));
    EXPECT_EQ(covered.at(700, 5), (simhost::Rgba{24, 28, 44, 255}));
    const Picture uncovered = readPng(second);
    EXPECT_EQ(uncovered.width, 800);
    EXPECT_EQ(misplacedPixels(uncovered, false), 0);
}

TEST(SimhostScreenshot, QuitOnTheCommandLineStillTakesThePictureAskedFor) {
    ScratchDirectory scratch;
    const auto picture = scratch / "quit.png";
    const SimhostRun run =
        runSimhost({"--command", "cl_tavorinden 0; quit; cl_tavorinden 1", "--screenshot",
                    picture.string(), "--interactive", tavorindenModule().string()},
                   "cl_tavorinden 1\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(misplacedPixels(readPng(picture), false), 0);
}

}  // namespace
