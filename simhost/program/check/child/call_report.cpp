#include "program/check/child/call_report.h"

#include <nlohmann/json.hpp>
#include <random>

#include "program/check/child/child_process.h"
#include "program/values/number_parsers.h"

namespace simhost::check {

namespace {

constexpr std::string_view kCall = "call ";
constexpr std::string_view kResult = "result ";
constexpr std::string_view kCycle = "cycle ";
constexpr std::string_view kStep = "step ";

std::optional<ModuleCall> callNamed(std::string_view name) {
    for (auto call = ModuleCall::Open; call <= ModuleCall::Close;
         call = static_cast<ModuleCall>(static_cast<int>(call) + 1)) {
        if (name == callName(call)) {
            return call;
        }
    }
    return std::nullopt;
}

std::optional<Outcome> outcomeIn(std::string_view json) {
    return verdictFromJson(nlohmann::json::parse(json, nullptr, false));
}

}  // namespace

std::string callLine(ModuleCall call, std::string_view token) {
    return std::string(token) + " " + std::string(kCall) + callName(call) + "\n";
}

std::string cycleLine(long long done, std::string_view token) {
    return std::string(token) + " " + std::string(kCycle) + std::to_string(done) + "\n";
}

std::string stepLine(long long session, std::string_view step, std::string_view token) {
    return std::string(token) + " " + std::string(kStep) + std::to_string(session) + " " +
           std::string(step) + "\n";
}

std::string resultLine(const Outcome& outcome, std::string_view token) {
    const nlohmann::json result = verdictJson(outcome.verdict, outcome.reason);
    return std::string(token) + " " + std::string(kResult) +
           result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void CallReportReader::add(const char* bytes, std::size_t count) {
    std::string_view rest(bytes, count);
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view piece = rest.substr(0, end);
        if (partial_.size() + piece.size() > kReportLineKept) {
            report_.foreign = true;  // no line of the child's own is this long
            partial_.clear();
        } else {
            partial_.append(piece);
        }
        if (end == std::string_view::npos) {
            return;
        }
        take(partial_);
        partial_.clear();
        rest.remove_prefix(end + 1);
    }
}

void CallReportReader::take(std::string_view line) {
    // Only the check signs with the token: a line without it is the plug-in's.
    if (report_.outcome || !line.starts_with(token_ + " ") || token_.empty()) {
        report_.foreign = true;
        return;
    }
    line.remove_prefix(token_.size() + 1);
    bool known = false;
    if (line.starts_with(kCall)) {
        const auto call = callNamed(line.substr(kCall.size()));
        report_.lastCall = call ? call : report_.lastCall;
        known = call.has_value();
    } else if (line.starts_with(kCycle)) {
        const auto done = parseCount(line.substr(kCycle.size()), kMaxCycles);
        report_.cycles = done ? *done : report_.cycles;
        known = done.accepted();
    } else if (line.starts_with(kStep)) {
        known = takeStep(line.substr(kStep.size()));
    } else if (line.starts_with(kResult)) {
        report_.outcome = outcomeIn(line.substr(kResult.size()));
        known = report_.outcome.has_value();
    }
    report_.foreign = report_.foreign || !known;
}

bool CallReportReader::takeStep(std::string_view line) {
    const auto blank = line.find(' ');
    const auto session = parseCount(line.substr(0, blank), kMostSessions);
    if (!session || blank == std::string_view::npos) {
        return false;
    }
    if (*session != report_.session) {
        report_.session = *session;
        report_.steps.clear();
    }
    report_.steps.emplace_back(line.substr(blank + 1));
    return report_.steps.size() <= static_cast<std::size_t>(kMostSteps);
}

CallReport CallReportReader::finish() && {
    if (!partial_.empty()) {
        report_.foreign = true;  // a line cut short
    }
    if (report_.foreign) {
        report_.outcome.reset();
    }
    return std::move(report_);
}

std::string freshToken() {
    std::random_device random;
    std::string token;
    constexpr char kHex[] = "0123456789abcdef";
    for (int i = 0; i < 4; ++i) {
        const unsigned bits = random();
        for (int shift = 0; shift < 32; shift += 4) {
            token += kHex[(bits >> shift) & 0xF];
        }
    }
    return token;
}

}  // namespace simhost::check
