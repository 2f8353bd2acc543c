#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "call_report_text.h"
#include "program/check/check_selection.h"
#include "program/check/child/call_report.h"
#include "program/check/child/child_output.h"
#include "program/check/report.h"
#include "program/cli/program.h"
#include "program/output/shown_text.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

using simhost::check::callLine;
using simhost::check::Finding;
using simhost::check::line;
using simhost::check::Outcome;
using simhost::check::resultLine;
using simhost::check::summary;
using simhost::check::Verdict;
using simhost::check::writeJson;
using simhost::check::writeJunit;

const std::vector<Finding> kFindings{
    {"opens", "", {Verdict::Pass, "", 12.4, {}, {}}},
    {"drawing", "", {Verdict::Fail, "crashed <at> \"0x0\" & \x01 more", 3, {}, {}}},
    {"draw-cost", "", {Verdict::Warn, "slow", 1, {}, {}}},
    {"cycles", "", {Verdict::Skip, "the plug-in does not load", 0, {}, {}}},
};

TEST(CheckReport, LinesAndSummaryInTheirFixedForm) {
    EXPECT_EQ(line(kFindings[0]), "PASS opens (12 ms)");
    EXPECT_EQ(line(kFindings[1]), "FAIL drawing: crashed <at> \"0x0\" & \x01 more");
    EXPECT_EQ(line(kFindings[2]), "WARN draw-cost: slow");
    EXPECT_EQ(line(kFindings[3]), "SKIP cycles: the plug-in does not load");
    EXPECT_EQ(summary(kFindings), "1 passed, 1 failed, 1 warning, 1 skipped");
    EXPECT_EQ(summary({kFindings[0]}), "1 passed, 0 failed");
}

TEST(CheckReport, JunitAndJsonCarryEveryFindingSafely) {
    ScratchDirectory scratch;
    writeJunit(kFindings, "m<1>.so", scratch / "report.xml");
    writeJson(kFindings, "m<1>.so", scratch / "report.json");

    const std::string xml = fileBytes(scratch / "report.xml");
    EXPECT_NE(xml.find("tests=\"4\" failures=\"1\" errors=\"0\" skipped=\"1\""), std::string::npos)
        << xml;
    EXPECT_NE(xml.find("name=\"simhost check m&lt;1&gt;.so\""), std::string::npos) << xml;
    // Texts as the console shows them: a control character is written \xNN.
    EXPECT_NE(
        xml.find("<failure message=\"crashed &lt;at&gt; &quot;0x0&quot; &amp; \\x01 more\"/>"),
        std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<skipped message=\"the plug-in does not load\"/>"), std::string::npos);

    // U+FFFE and U+FFFF are valid UTF-8 that XML 1.0 forbids even escaped; U+FFFD is allowed.
    writeJunit(
        {{"drawing", "", {Verdict::Fail, "a\xEF\xBF\xBE b\xEF\xBF\xBF c\xEF\xBF\xBD", 1, {}, {}}}},
        "m.so", scratch / "nonchar.xml");
    EXPECT_NE(fileBytes(scratch / "nonchar.xml").find("<failure message=\"a? b? c\xEF\xBF\xBD\"/>"),
              std::string::npos)
        << fileBytes(scratch / "nonchar.xml");

    const auto json = nlohmann::json::parse(fileBytes(scratch / "report.json"));
    EXPECT_EQ(json["module"], "m<1>.so");
    EXPECT_EQ(json["failed"], 1);
    ASSERT_EQ(json["checks"].size(), 4u);
    EXPECT_EQ(json["checks"][1]["id"], "drawing");
    EXPECT_EQ(json["checks"][1]["result"], "fail");
    EXPECT_EQ(json["checks"][1]["reason"], "crashed <at> \"0x0\" & \\x01 more");
    EXPECT_EQ(json["checks"][0]["duration_ms"], 12.4);
    EXPECT_EQ(json["checks"][2]["result"], "warn");
    EXPECT_EQ(json["checks"][2]["reason"], "slow");
    EXPECT_EQ(json["checks"][3]["result"], "skip");
    EXPECT_EQ(json["warnings"], 1);
    EXPECT_EQ(json["skipped"], 1);
}

// Only lines the child's check signed count; anything else on its channel makes the check fail.
TEST(CheckCallReport, OnlySignedLinesCount) {
    const std::string token = "0123456789abcdef";
    const std::string signature = token + " ";
    const std::string result =
        resultLine({Verdict::Warn, "a \"quoted\" reason", 2.5, {}, {}}, token);
    const auto good = readCallReport(
        callLine(simhost::ModuleCall::OnLoad, token) + signature + "call draw\n" + result, token);
    ASSERT_TRUE(good.outcome);
    EXPECT_FALSE(good.foreign);
    EXPECT_EQ(good.outcome->verdict, Verdict::Warn);
    EXPECT_EQ(good.outcome->reason, "a \"quoted\" reason");
    EXPECT_EQ(good.lastCall, simhost::ModuleCall::Draw);
    EXPECT_EQ(result,
              signature + "result {\"reason\":\"a \\\"quoted\\\" reason\",\"result\":\"warn\"}\n");

    // Signed with a wrong token: shorter, longer, or as long and one digit off; or not at all.
    const Outcome pass{Verdict::Pass, "forged", 0, {}, {}};
    for (const std::string& wrong :
         std::vector<std::string>{"0", token.substr(0, 15), token + "0", "0123456789abcdee",
                                  "1123456789abcdef", std::string(16, ' '), std::string()}) {
        for (const std::string& channel :
             {resultLine(pass, wrong), callLine(simhost::ModuleCall::OnUnload, wrong) + result,
              simhost::check::cycleLine(3, wrong) + result}) {
            const auto report = readCallReport(channel, token);
            EXPECT_TRUE(report.foreign) << channel;
            EXPECT_FALSE(report.outcome) << channel;
            EXPECT_EQ(report.lastCall, std::nullopt) << channel;
            EXPECT_EQ(report.cycles, 0) << channel;
        }
    }
    const std::vector<std::string> foreign{
        "call onLoad\n" + result,
        "cycle 3\n" + result,
        "result {\"result\":\"pass\",\"reason\":\"\"}\n",
        result + signature + "call close\n",
        "junk\n" + result,
        signature + "junk\n" + result,
        signature + "call nowhere\n" + result,
        result + result,
        result.substr(0, result.size() - 1),
        signature + "result {\"result\":\"great\",\"reason\":\"\"}\n",
        signature + "result {\"result\":\"pass\",\"reason\":\"\",\"more\":1}\n"};
    for (const std::string& channel : foreign) {
        const auto report = readCallReport(channel, token);
        EXPECT_TRUE(report.foreign) << channel;
        EXPECT_FALSE(report.outcome) << channel;
    }
    const auto none =
        readCallReport(signature + "call open\n" + signature + "call onLoad\n", token);
    EXPECT_FALSE(none.foreign);
    EXPECT_FALSE(none.outcome);
    EXPECT_EQ(none.lastCall, simhost::ModuleCall::OnLoad);
}

// A child's output keeps its end, for last words; its call report is read a line at a time, in
// whatever pieces it comes, however long it goes on, and a line no child writes is a finding.
TEST(CheckChildOutput, KeptWithinItsBound) {
    using simhost::check::KeptText;
    for (const auto& [parts, kept] :
         {std::pair<std::vector<std::string>, std::string>{{"ab", "cdef"}, "cdef"},
          {{"ab", "cdef", "g", "hijklmnopq"}, "nopq"},
          {{"abc"}, "abc"}}) {
        KeptText output(4);
        for (const std::string& part : parts) {
            output.add(part.data(), part.size());
        }
        EXPECT_EQ(std::move(output).text(), kept);
    }

    using simhost::check::CallReportReader;
    const std::string token = "0123456789abcdef";
    const std::string result = resultLine({Verdict::Pass, "100000 cycles", 1, {}, {}}, token);
    CallReportReader reader(token);
    using simhost::ModuleCall;
    const std::string cycle = callLine(ModuleCall::Open, token) +
                              callLine(ModuleCall::OnLoad, token) +
                              callLine(ModuleCall::Close, token);
    for (int i = 1; i <= 100'000; ++i) {
        const std::string told = cycle + simhost::check::cycleLine(i, token);
        reader.add(told.data(), told.size());
    }
    // The result in pieces, split inside its token.
    reader.add(result.data(), 12);
    reader.add(result.data() + 12, result.size() - 12);
    const auto long_run = std::move(reader).finish();
    EXPECT_FALSE(long_run.foreign);
    EXPECT_EQ(long_run.cycles, 100'000);
    EXPECT_EQ(long_run.lastCall, simhost::ModuleCall::Close);
    ASSERT_TRUE(long_run.outcome);
    EXPECT_EQ(long_run.outcome->reason, "100000 cycles");

    // "… cycle 00…07": a line exactly as long as a line may be, then one character longer.
    const std::string seven = token + " cycle 7\n";
    const std::string longest =
        token + " cycle " + std::string(simhost::check::kReportLineKept - 24, '0');
    for (const auto& [channel, foreign] :
         {std::pair{longest + "7\n", false}, std::pair{seven + longest + "07\n", true},
          std::pair{seven + token + " call onl", true},
          std::pair{seven + token + " cycle -1\n", true},
          std::pair{seven + token + " cycle 1e3\n", true}, std::pair{seven, false}}) {
        const auto report = readCallReport(channel, token);
        EXPECT_EQ(report.foreign, foreign) << channel.substr(0, 20);
        EXPECT_EQ(report.cycles, 7) << channel.substr(0, 20);
    }
}

TEST(CheckReport, ModuleTextsBecomeOneBoundedLine) {
    EXPECT_EQ(simhost::oneLine("Evil\x1b[31m\nPASS forged"), "Evil\\x1b[31m\\x0aPASS forged");
    const std::string longest = simhost::oneLine(std::string(1000, 'w'), 20);
    EXPECT_EQ(longest, std::string(17, 'w') + "...");
    // Cut neither inside an escape nor inside a character.
    EXPECT_EQ(simhost::oneLine(std::string(15, 'w') + "\x01\x02", 20),
              std::string(15, 'w') + "...");
    EXPECT_EQ(simhost::oneLine(std::string(16, 'w') + "\xc3\xa9\xc3\xa9\xc3\xa9", 20),
              std::string(16, 'w') + "...");
}

// `simhost check` as a person runs it, with the grammar it shares with simhost.
SimhostRun check(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "check");
    return runSimhost(arguments);
}

TEST(CheckSelection, NamesMatchWholeIds) {
    const struct {
        std::string pattern;
        std::string id;
        bool selected;
    } cases[] = {
        {"load", "load", true},
        {"load", "unload", false},
        {"*load", "unload", true},
        {"un*", "unload", true},
        {"d?aw*", "drawing", true},
        {"d?aw", "drawing", false},
        {"*-*", "base-class", true},
        {"*-*", "record", false},
        {"x,record", "record", true},
        {"load,", "load", true},
        {"", "load", false},
        {"*", "draw-cost", true},
        // A star takes nothing as well as something, at the end or anywhere.
        {"load*", "load", true},
        {"lo*ad", "load", true},
        {"*load*", "load", true},
        {"**c*o*s*t", "draw-cost", true},
        {"*c*o*s*t?", "draw-cost", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(simhost::check::selects(c.pattern, c.id), c.selected) << c.pattern << " " << c.id;
    }
    // Stars cannot make the work grow faster than the pattern: this answers at once.
    const std::string stars = std::string(99, '*') + "a" + std::string(99, '*') + "x";
    EXPECT_FALSE(simhost::check::selects(stars, std::string(13, 'a')));
}

TEST(CheckCommand, UsageErrorsListAndReportFiles) {
    const std::string module = tavorindenModule().string();
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{}, "check: no module given"},
        {{"--timeout", "0", "m.so"},
         "--timeout: \"0\" is not a number of seconds above 0, at most 3600"},
        {{"--timeout=-1", "m.so"},
         "--timeout: \"-1\" is not a number of seconds above 0, at most 3600"},
        // The host's one grammar for decimals: no exponent.
        {{"--timeout=1e1", "m.so"},
         "--timeout: \"1e1\" is not a number of seconds above 0, at most 3600"},
        {{"--only", "^load$", "m.so"},
         "--only: \"^load$\" is not a list of check ids: lower-case letters, digits and '-', "
         "with '*' and '?' as wildcards and ',' between names"},
        // A pattern that would keep a backtracking regular-expression engine busy for minutes.
        {{"--only", "(.*)*(.*)*(.*)*X", "m.so"},
         "--only: \"(.*)*(.*)*(.*)*X\" is not a list of check ids: lower-case letters, digits and "
         "'-', with '*' and '?' as wildcards and ',' between names"},
        {{"--only", std::string(201, '*'), "m.so"},
         "--only: the pattern is longer than 200 characters"},
        // Each name on its own: one misspelt among others would leave its check out.
        {{"--only", "load,unlod", "m.so"}, "--only: \"unlod\" matches no check; --list names them"},
        {{"--only", "load,", "m.so"}, "--only: \"\" matches no check; --list names them"},
        {{"--only", "lo?d*x", "m.so"}, "--only: \"lo?d*x\" matches no check; --list names them"},
        {{"--cycles", "0", "m.so"}, "--cycles: \"0\" cannot show growth; at least 10 are needed"},
        {{"--cycles=2", "m.so"}, "--cycles: \"2\" cannot show growth; at least 10 are needed"},
        {{"--fast", "m.so"}, "The following argument was not expected: --fast"},
        {{"a.so", "b.so"}, "The following argument was not expected: b.so"},
        {{"--junit", "", "m.so"}, "--junit: the file name is empty"},
        {{"--json", module, module}, "--json: \"" + module + "\" is the module being checked"},
        {{"--junit", "r.out", "--json", "./r.out", "m.so"},
         "--json: \"./r.out\" is the --junit report's file too"},
    };
    for (const auto& c : cases) {
        const SimhostRun run = check(c.arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "simhost: " + c.message);
        EXPECT_EQ(run.err.substr(run.err.find('\n')), "\nTry 'simhost check --help'.\n");
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_TRUE(std::filesystem::exists(tavorindenModule())) << "a report overwrote the module";
#if !defined(_WIN32)
    // A report's path that is a link to the other report's file, dangling until it is written.
    ScratchDirectory reports;
    std::filesystem::create_symlink("report.xml", reports / "link.json");
    const std::string link = (reports / "link.json").string();
    const SimhostRun linked =
        check({"--junit", (reports / "report.xml").string(), "--json", link, "m.so"});
    EXPECT_EQ(linked.status, 2);
    EXPECT_EQ(linked.err.substr(0, linked.err.find('\n')),
              "simhost: --json: \"" + link + "\" is the --junit report's file too");
#endif

    const SimhostRun help = check({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: simhost check [OPTIONS] [MODULE]"), std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("--timeout SECONDS"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("--run-one"), std::string::npos) << "a child's option is for children";
    std::istringstream in;
    std::ostream lost(nullptr);  // every write fails, as on a full disk
    std::ostringstream told;
    EXPECT_EQ(simhost::runSimhost({"check", "--in-process", "--only", "record", module}, in, lost,
                                  told, false),
              1);
    EXPECT_EQ(told.str(), "simhost: cannot write the report to standard output\n");

    const SimhostRun list = check({"--list"});
    ASSERT_EQ(list.status, 0);
    // Which findings are only warnings, and what a warning means.
    EXPECT_NE(list.out.find("\ndrawing  every drawable survives canvases from 0x0 to the largest, "
                            "with each bound variable at both ends of its range\n"
                            "         warns of: drawing outside the canvas; output on every draw\n"
                            "unload  "),
              std::string::npos)
        << list.out;
    EXPECT_EQ(list.out.substr(list.out.rfind('\n', list.out.size() - 2) + 1),
              "A warning tells a mistake the host tolerates: it does not fail the check.\n");

    ScratchDirectory scratch;
    const SimhostRun run =
        check({"--in-process", "--only=rec*,entries", "--json=" + (scratch / "r.json").string(),
               tavorindenModule().string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(nlohmann::json::parse(fileBytes(scratch / "r.json"))["checks"].size(), 2u);
    EXPECT_NE(run.out.find("\n2 passed, 0 failed\n"), std::string::npos) << run.out;
}

// Whatever bytes the module's name holds, the reports are valid UTF-8, and the JSON one is what a
// strict parser takes: a byte that is no UTF-8 is written as \xNN.
TEST(CheckReport, FilesAreValidUtf8ForAnyModuleName) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows file names are UTF-16";
#else
    ScratchDirectory scratch;
    const std::filesystem::path module = scratch / "plug\xff\x01in.so";
    std::filesystem::copy_file(tavorindenModule(), module);
    const SimhostRun run =
        check({"--in-process", "--only", "record", "--junit", (scratch / "r.xml").string(),
               "--json", (scratch / "r.json").string(), module.string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::string shownName = (scratch / "plug\\xff\\x01in.so").string();
    const auto json = nlohmann::json::parse(fileBytes(scratch / "r.json"));
    EXPECT_EQ(json["module"], shownName);
    const std::string xml = fileBytes(scratch / "r.xml");
    // A strict encoder refuses a string that is no valid UTF-8.
    EXPECT_NO_THROW(static_cast<void>(nlohmann::json(xml).dump())) << xml;
    EXPECT_NE(xml.find("<testsuite name=\"simhost check " + shownName + "\""), std::string::npos)
        << xml;
#endif
}

}  // namespace
