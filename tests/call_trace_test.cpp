#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "simhost/loading/module_calls.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

// The host's documented order, whole: open, create, place the services, onLoad and the host
// operations it calls; then onUnload, the release entry and close.
const std::string kLoadAndUnload =
    "call open\n"
    "return open\n"
    "call getPlugin\n"
    "return getPlugin\n"
    "  place services(cvarManagerPtr, gameWrapperPtr)\n"
    "call onLoad\n"
    "  log(\"Tavorinden version: " TAVORINDEN_VERSION
    "\")\n"
    "  registerCvar(\"cl_tavorinden\", \"1\", \"Tavorinden!\", true, 0, 1, true) -> "
    "\"cl_tavorinden\"\n"
    "  bindTo(\"cl_tavorinden\")\n"
    "  RegisterDrawable()\n"
    "return onLoad\n";
const std::string kUnload =
    "call onUnload\n"
    "  UnregisterDrawables()\n"
    "return onUnload\n"
    "call deleteMe\n"
    "return deleteMe\n"
    "call close\n"
    "return close\n";

TEST(CallTrace, TheLoadCheckTracesTheHostsCallOrderWhole) {
    ScratchDirectory scratch;
    const auto file = scratch / "trace.txt";
    const SimhostRun run = runSimhost({"check", "--in-process", "--only", "load", "--trace",
                                       file.string(), tavorindenModule().string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fileBytes(file), "check load\n" + kLoadAndUnload + kUnload);
    // Appended to, as the checks' children append to one file.
    EXPECT_EQ(runSimhost({"check", "--in-process", "--only", "load", "--trace", file.string(),
                          tavorindenModule().string()})
                  .status,
              0);
    EXPECT_EQ(fileBytes(file), "check load\n" + kLoadAndUnload + kUnload + "check load\n" +
                                   kLoadAndUnload + kUnload);
}

// The calls a check makes itself, outside any host, are traced as the host's are: each with its
// return.
TEST(CallTrace, TheEntriesCheckTracesItsOwnCallsWithTheirReturns) {
    ScratchDirectory scratch;
    const auto file = scratch / "trace.txt";
    const SimhostRun run = runSimhost({"check", "--in-process", "--only", "entries", "--trace",
                                       file.string(), tavorindenModule().string()});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string release = "call deleteMe\nreturn deleteMe\n";
    const std::string create = "call getPlugin\nreturn getPlugin\n";
    EXPECT_EQ(fileBytes(file), "check entries\ncall open\nreturn open\n" + release + create +
                                   create + release + release + "call close\nreturn close\n");
}

TEST(CallTrace, ACallThatThrowsIsToldBegunButNeverReturned) {
    struct Told final : simhost::ModuleCallWatch {
        void calling(simhost::ModuleCall call) override {
            lines.push_back(std::string("call ") + simhost::callName(call));
        }
        void returned(simhost::ModuleCall call) override {
            lines.push_back(std::string("return ") + simhost::callName(call));
        }
        std::vector<std::string> lines;
    } told;
    EXPECT_EQ(simhost::watched(&told, simhost::ModuleCall::Create, [] { return 7; }), 7);
    EXPECT_THROW(simhost::watched(&told, simhost::ModuleCall::OnLoad,
                                  [] { throw std::runtime_error("onLoad"); }),
                 std::runtime_error);
    EXPECT_EQ(told.lines,
              (std::vector<std::string>{"call getPlugin", "return getPlugin", "call onLoad"}));
    EXPECT_EQ(simhost::watched(nullptr, simhost::ModuleCall::Draw, [] { return 8; }), 8);
}

TEST(CallTrace, ARunTracesDrawsWithWhatTheyDrewAndTextsEscaped) {
    const SimhostRun run =
        runSimhost({"--trace", "-", "--frames", "1", "--size", "100x50", "--command", "draw",
                    "--command", "cl_tavorinden 0", tavorindenModule().string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, kLoadAndUnload +
                           "call draw\n"
                           "  SetColor(0, 0, 0, 255)\n"
                           "  GetSize() -> (100, 50)\n"
                           "  DrawRect((40, 0), (60, 4))\n"
                           "return draw\n"
                           "call draw\n"
                           "return draw\n" +
                           kUnload);
}

TEST(CallTrace, AFileThatCannotBeWrittenIsRefusedBeforeAnythingLoads) {
    ScratchDirectory scratch;
    const auto folder = scratch / "missing" / "trace.txt";
    const SimhostRun run = runSimhost({"--trace", folder.string(), tavorindenModule().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "simhost: " + folder.string() + ": cannot be opened to write the trace in\n");
}

}  // namespace
