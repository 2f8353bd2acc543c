#include "bakkesmod/console_variable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "bakkesmod/printable.h"

namespace simhost {

namespace {

std::string_view trim(std::string_view text) {
    constexpr std::string_view blank = " \t\r\n\f\v";
    const auto first = text.find_first_not_of(blank);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blank) - first + 1);
}

struct ParsedNumber {
    bool ok = false;
    double value = 0.0;
    std::string_view text;  // trimmed
    const char* problem = "";
};

// Plain decimal numbers, optionally signed and with an exponent; no hexadecimal, no words.
ParsedNumber parseNumber(std::string_view raw) {
    ParsedNumber parsed;
    parsed.text = trim(raw);
    std::string_view digits = parsed.text;
    if (digits.empty()) {
        parsed.problem = "is empty, not a number";
        return parsed;
    }
    if (digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') {
            parsed.problem = "is not a number";
            return parsed;
        }
    }
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, parsed.value);
    if (error == std::errc::result_out_of_range) {
        parsed.problem = "is out of range";
    } else if (error != std::errc{} || stop != end) {
        parsed.problem = "is not a number";
    } else if (!std::isfinite(parsed.value)) {
        parsed.problem = "is not a finite number";
    } else {
        parsed.ok = true;
    }
    return parsed;
}

}  // namespace

std::string formatNumber(float number) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    return std::string(buffer.data(), result.ptr);
}

ConsoleVariable::ConsoleVariable(VariableDefinition definition, ModuleId creator)
    : definition_(std::move(definition)), creator_(creator) {
    // A default that is no number is kept as text, worth 0.
    text_ = definition_.defaultValue;
    if (parseNumber(text_).ok) {
        set(text_);
    }
}

ValueChange ConsoleVariable::set(std::string_view value) {
    const ParsedNumber parsed = parseNumber(value);
    if (!parsed.ok) {
        return {false, printable(value) + " " + parsed.problem + "; " + name() + " stays " + text_};
    }
    double number = parsed.value;
    const char* bound = nullptr;
    if (definition_.minimum && number < *definition_.minimum) {
        number = *definition_.minimum;
        bound = "smallest";
    } else if (definition_.maximum && number > *definition_.maximum) {
        number = *definition_.maximum;
        bound = "largest";
    }
    if (std::abs(number) > std::numeric_limits<float>::max()) {
        return {false, printable(value) + " is out of range; " + name() + " stays " + text_};
    }
    const auto single = static_cast<float>(number);
    if (bound == nullptr) {
        assign(std::string(parsed.text), single);
        return {true, {}};
    }
    assign(formatNumber(single), single);
    return {true, printable(value) + " clamped to " + text_ + ", the " + bound + " value allowed"};
}

void ConsoleVariable::assign(std::string text, float number) {
    text_ = std::move(text);
    number_ = number;
    for (auto& binding : bindings_) {
        *binding.second = number_ != 0.0f;
    }
}

void ConsoleVariable::bind(ModuleId owner, std::shared_ptr<bool> target) {
    if (!target) {
        return;
    }
    *target = number_ != 0.0f;
    bindings_.emplace_back(owner, std::move(target));
}

void ConsoleVariable::unbind(ModuleId owner) {
    std::erase_if(bindings_, [owner](const auto& binding) { return binding.first == owner; });
}

}  // namespace simhost
