#include "program/check/call_report.h"

#include <array>
#include <nlohmann/json.hpp>
#include <random>

namespace simhost::check {

namespace {

constexpr std::string_view kCall = "call ";
constexpr std::string_view kResult = "result ";

constexpr std::array kCallNames{
    std::pair{ModuleCall::Open, "open"},         std::pair{ModuleCall::Create, "create"},
    std::pair{ModuleCall::OnLoad, "onload"},     std::pair{ModuleCall::Draw, "draw"},
    std::pair{ModuleCall::OnUnload, "onunload"}, std::pair{ModuleCall::Release, "release"},
    std::pair{ModuleCall::Close, "close"},
};

std::optional<ModuleCall> callNamed(std::string_view name) {
    for (const auto& [call, callName] : kCallNames) {
        if (name == callName) {
            return call;
        }
    }
    return std::nullopt;
}

std::optional<Outcome> outcomeIn(std::string_view json) {
    const auto parsed = nlohmann::json::parse(json, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object() || !parsed["verdict"].is_string() ||
        !parsed["reason"].is_string() || !parsed["milliseconds"].is_number()) {
        return std::nullopt;
    }
    const std::string verdict = parsed["verdict"];
    if (verdict != verdictName(verdictNamed(verdict))) {
        return std::nullopt;
    }
    Outcome outcome;
    outcome.verdict = verdictNamed(verdict);
    outcome.reason = parsed["reason"];
    outcome.milliseconds = parsed["milliseconds"];
    return outcome;
}

}  // namespace

std::string callLine(ModuleCall call) {
    for (const auto& [known, name] : kCallNames) {
        if (known == call) {
            return std::string(kCall) + name + "\n";
        }
    }
    return {};
}

std::string resultLine(const Outcome& outcome, std::string_view token) {
    const nlohmann::json result{{"verdict", verdictName(outcome.verdict)},
                                {"reason", outcome.reason},
                                {"milliseconds", outcome.milliseconds}};
    return std::string(kResult) + std::string(token) + " " +
           result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

CallReport readCallReport(std::string_view channel, std::string_view token) {
    CallReport report;
    while (!channel.empty()) {
        const auto end = channel.find('\n');
        if (end == std::string_view::npos || report.outcome) {
            report.foreign = true;  // a line cut short, or anything after the result
            break;
        }
        const std::string_view line = channel.substr(0, end);
        channel.remove_prefix(end + 1);
        if (line.starts_with(kCall)) {
            if (const auto call = callNamed(line.substr(kCall.size()))) {
                report.lastCall = call;
            } else {
                report.foreign = true;
            }
        } else if (line.starts_with(kResult) &&
                   line.substr(kResult.size()).starts_with(std::string(token) + " ")) {
            report.outcome = outcomeIn(line.substr(kResult.size() + token.size() + 1));
            report.foreign = report.foreign || !report.outcome;
        } else {
            report.foreign = true;
        }
    }
    if (report.foreign) {
        report.outcome.reset();
    }
    return report;
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
