#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "program/check/check_command.h"
#include "program/check/report.h"
#include "simhost_run.h"
#include "test_modules.h"

namespace {

using simhost::check::Finding;
using simhost::check::line;
using simhost::check::summary;
using simhost::check::Verdict;
using simhost::check::writeJson;
using simhost::check::writeJunit;

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::vector<Finding> kFindings{
    {"opens", "", {Verdict::Pass, "", 12.4, {}}},
    {"drawing", "", {Verdict::Fail, "crashed <at> \"0x0\" & \x01 more", 3, {}}},
    {"draw-cost", "", {Verdict::Warn, "slow", 1, {}}},
    {"cycles", "", {Verdict::Skip, "the plug-in does not load", 0, {}}},
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

    const std::string xml = contents(scratch / "report.xml");
    EXPECT_NE(xml.find("tests=\"4\" failures=\"1\" errors=\"0\" skipped=\"1\""), std::string::npos)
        << xml;
    EXPECT_NE(xml.find("name=\"simhost check m&lt;1&gt;.so\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<failure message=\"crashed &lt;at&gt; &quot;0x0&quot; &amp; ? more\"/>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<skipped message=\"the plug-in does not load\"/>"), std::string::npos);

    const auto json = nlohmann::json::parse(contents(scratch / "report.json"));
    EXPECT_EQ(json["module"], "m<1>.so");
    EXPECT_EQ(json["failed"], 1);
    ASSERT_EQ(json["checks"].size(), 4u);
    EXPECT_EQ(json["checks"][1]["id"], "drawing");
    EXPECT_EQ(json["checks"][1]["result"], "fail");
    EXPECT_EQ(json["checks"][1]["reason"], "crashed <at> \"0x0\" & \x01 more");
    EXPECT_EQ(json["checks"][0]["duration_ms"], 12.4);
}

TEST(CheckCommand, UsageErrorsListAndReportFiles) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"--timeout", "0", "m.so"},
                                               {"--only", "(", "m.so"},
                                               {"--cycles", "0", "m.so"},
                                               {"--fast", "m.so"},
                                               {"a.so", "b.so"}}) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(simhost::check::runCheckCommand(arguments, out, err), 2) << err.str();
        EXPECT_EQ(err.str().rfind("simhost: ", 0), 0u) << err.str();
    }

    std::ostringstream list;
    std::ostringstream err;
    ASSERT_EQ(simhost::check::runCheckCommand({"--list"}, list, err), 0);
    EXPECT_NE(list.str().find("\nmodule-unmaps  "), std::string::npos) << list.str();

    ScratchDirectory scratch;
    std::ostringstream out;
    const int status = simhost::check::runCheckCommand(
        {"--in-process", "--only", "^(record|entries)$", "--json", (scratch / "r.json").string(),
         tavorindenModule().string()},
        out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_EQ(nlohmann::json::parse(contents(scratch / "r.json"))["checks"].size(), 2u);
    EXPECT_NE(out.str().find("\n2 passed, 0 failed\n"), std::string::npos) << out.str();
}

}  // namespace
