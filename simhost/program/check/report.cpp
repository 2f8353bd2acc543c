#include "program/check/report.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>
#include <utility>

#include "program/output/shown_text.h"
#include "program/values/counting.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

int count(const std::vector<Finding>& findings, Verdict verdict) {
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(),
                      [verdict](const auto& f) { return f.outcome.verdict == verdict; }));
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    errno = 0;
    std::ofstream out(file, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        throw HostError(file, std::string("cannot write: ") +
                                  (errno != 0 ? std::strerror(errno) : "write failed"));
    }
}

}  // namespace

std::string line(const Finding& finding) {
    const Outcome& outcome = finding.outcome;
    std::string text = verdictName(outcome.verdict);
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c - 'a' + 'A'; });
    text += " " + finding.id;
    if (outcome.verdict == Verdict::Pass) {
        text += " (" + std::to_string(std::llround(outcome.milliseconds)) + " ms)";
        return outcome.reason.empty() ? text : text + ": " + outcome.reason;
    }
    return text + ": " + outcome.reason;
}

std::string summary(const std::vector<Finding>& findings) {
    std::string text = std::to_string(count(findings, Verdict::Pass)) + " passed, " +
                       std::to_string(count(findings, Verdict::Fail)) + " failed";
    if (const int warnings = count(findings, Verdict::Warn); warnings > 0) {
        text += ", " + counted(static_cast<std::size_t>(warnings), "warning", "warnings");
    }
    if (const int skipped = count(findings, Verdict::Skip); skipped > 0) {
        text += ", " + std::to_string(skipped) + " skipped";
    }
    return text;
}

// U+FFFE and U+FFFF in UTF-8: characters XML 1.0 forbids, though valid UTF-8.
bool xmlNonCharacterAt(const std::string& text, std::size_t at) {
    return text.compare(at, 2, "\xEF\xBF") == 0 && at + 2 < text.size() &&
           (text[at + 2] == '\xBE' || text[at + 2] == '\xBF');
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        if (xmlNonCharacterAt(text, at)) {
            out += '?';
            at += 2;
            continue;
        }
        constexpr std::string_view kMarkup = "&<>\"'";
        constexpr std::array<const char*, 5> kEntities{"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
        if (const auto entity = kMarkup.find(c); entity != std::string_view::npos) {
            out += kEntities[entity];
        } else if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            out += '?';  // XML 1.0 has no place for other control characters, even escaped
        } else {
            out += c;
        }
    }
    return out;
}

void writeJunit(const std::vector<Finding>& findings, const std::filesystem::path& module,
                const std::filesystem::path& file) {
    double seconds = 0;
    for (const Finding& finding : findings) {
        seconds += finding.outcome.milliseconds / 1000;
    }
    std::ostringstream xml;
    xml << R"(<?xml version="1.0" encoding="UTF-8"?>)" << '\n'
        << "<testsuites>\n"
        << R"(  <testsuite name="simhost check )" << xmlEscaped(shown(module.string()))
        << R"(" tests=")" << findings.size() << R"(" failures=")" << count(findings, Verdict::Fail)
        << R"(" errors="0" skipped=")" << count(findings, Verdict::Skip) << R"(" time=")" << seconds
        << "\">\n";
    for (const Finding& finding : findings) {
        const Outcome& outcome = finding.outcome;
        xml << R"(    <testcase classname="simhost.check" name=")" << xmlEscaped(finding.id)
            << "\" time=\"" << outcome.milliseconds / 1000 << "\">";
        const std::string reason = xmlEscaped(shown(outcome.reason));
        switch (outcome.verdict) {
            case Verdict::Fail:
                xml << "<failure message=\"" << reason << "\"/>";
                break;
            case Verdict::Skip:
                xml << "<skipped message=\"" << reason << "\"/>";
                break;
            case Verdict::Warn:
                xml << "<system-out>warning: " << reason << "</system-out>";
                break;
            case Verdict::Pass:
                if (!reason.empty()) {
                    xml << "<system-out>" << reason << "</system-out>";
                }
                break;
        }
        xml << "</testcase>\n";
    }
    xml << "  </testsuite>\n</testsuites>\n";
    writeText(file, xml.str());
}

void writeJson(const std::vector<Finding>& findings, const std::filesystem::path& module,
               const std::filesystem::path& file) {
    nlohmann::json checks = nlohmann::json::array();
    for (const Finding& finding : findings) {
        nlohmann::json check = verdictJson(finding.outcome.verdict, shown(finding.outcome.reason));
        check["id"] = finding.id;
        check["duration_ms"] = finding.outcome.milliseconds;
        checks.push_back(std::move(check));
    }
    const nlohmann::json report{
        {"module", shown(module.string())},          {"passed", count(findings, Verdict::Pass)},
        {"failed", count(findings, Verdict::Fail)},  {"warnings", count(findings, Verdict::Warn)},
        {"skipped", count(findings, Verdict::Skip)}, {"checks", checks}};
    writeText(file, report.dump(2) + "\n");
}

}  // namespace simhost::check
