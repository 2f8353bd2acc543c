#include "program/check/child/outcome.h"

#include <array>
#include <nlohmann/json.hpp>

namespace simhost::check {

namespace {

constexpr const char* kVerdictKey = "result";
constexpr const char* kReasonKey = "reason";

}  // namespace

const char* verdictName(Verdict verdict) {
    constexpr std::array kNames{"pass", "warn", "fail", "skip"};  // in the order of Verdict
    return kNames.at(static_cast<std::size_t>(verdict));
}

Verdict verdictNamed(const std::string& name) {
    for (const Verdict verdict : {Verdict::Pass, Verdict::Warn, Verdict::Skip}) {
        if (name == verdictName(verdict)) {
            return verdict;
        }
    }
    return Verdict::Fail;
}

nlohmann::json verdictJson(Verdict verdict, const std::string& reason) {
    return {{kVerdictKey, verdictName(verdict)}, {kReasonKey, reason}};
}

std::optional<Outcome> verdictFromJson(const nlohmann::json& written) {
    if (!written.is_object() || written.size() != 2 || !written.contains(kVerdictKey) ||
        !written.contains(kReasonKey) || !written[kVerdictKey].is_string() ||
        !written[kReasonKey].is_string()) {
        return std::nullopt;
    }
    const std::string verdict = written[kVerdictKey];
    if (verdict != verdictName(verdictNamed(verdict))) {
        return std::nullopt;
    }
    Outcome outcome;
    outcome.verdict = verdictNamed(verdict);
    outcome.reason = written[kReasonKey];
    return outcome;
}

}  // namespace simhost::check
