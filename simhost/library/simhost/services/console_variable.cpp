#include "simhost/services/console_variable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace simhost {

DecimalNumber readDecimal(std::string_view text) {
    DecimalNumber parsed;
    if (text.empty()) {
        parsed.problem = ValueChange::Empty;
        return parsed;
    }
    if (text.size() > ConsoleVariable::kLongestValue) {
        parsed.problem = ValueChange::TooLong;
        return parsed;
    }
    const std::string_view unsigned_ = text.front() == '-' ? text.substr(1) : text;
    const bool digitsOnly = std::all_of(unsigned_.begin(), unsigned_.end(),
                                        [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    if (!digitsOnly || std::count(unsigned_.begin(), unsigned_.end(), '.') > 1 ||
        unsigned_.find_first_of("0123456789") == std::string_view::npos) {
        parsed.problem = ValueChange::NotPlainDecimal;
        return parsed;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed.value);
    if (error != std::errc{} || stop != end) {
        parsed.problem = ValueChange::NotPlainDecimal;
    }
    return parsed;
}

const char* refusalOf(ValueChange change) {
    switch (change) {
        case ValueChange::Empty:
            return "is empty, not a number";
        case ValueChange::TooLong:
            return "is too long for a number";
        case ValueChange::OutOfRange:
            return "is out of range";
        default:
            return "is not a plain decimal number";
    }
}

std::string formatNumber(float number) {
    // Fixed notation: the console takes no exponent, so it shows none either.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                      std::chars_format::fixed);
    return std::string(buffer.data(), result.ptr);
}

ConsoleVariable::ConsoleVariable(VariableDefinition definition, ModuleId creator)
    : definition_(std::move(definition)), creator_(creator), text_("0") {
    // A default the host refuses leaves the variable at 0.
    defaultChange_ = set(definition_.defaultValue);
}

ValueChange ConsoleVariable::adopt(VariableDefinition definition, ModuleId creator) {
    definition_ = std::move(definition);
    creator_ = creator;
    adopted_ = true;
    registrations_ = 1;
    const ConsoleVariable judged(definition_, creator);
    defaultChange_ = judged.defaultChange();
    // The text held is always a plain number, so it is only ever clamped here.
    return set(std::string(text_));
}

ValueChange ConsoleVariable::set(std::string_view value) {
    const DecimalNumber parsed = readDecimal(value);
    if (parsed.problem != ValueChange::Taken) {
        return parsed.problem;
    }
    double number = parsed.value;
    ValueChange change = ValueChange::Taken;
    if (definition_.minimum && number < *definition_.minimum) {
        number = *definition_.minimum;
        change = ValueChange::ClampedToMinimum;
    } else if (definition_.maximum && number > *definition_.maximum) {
        number = *definition_.maximum;
        change = ValueChange::ClampedToMaximum;
    }
    if (std::abs(number) > std::numeric_limits<float>::max()) {
        return ValueChange::OutOfRange;
    }
    // Shown as the number in force: "0.50" is 0.5, and a value too small for the variable to
    // hold is 0.
    const float single = static_cast<float>(number) == 0.0f ? 0.0f : static_cast<float>(number);
    assign(formatNumber(single), single);
    return change;
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
