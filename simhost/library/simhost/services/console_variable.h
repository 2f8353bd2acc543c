#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "simhost/export.h"
#include "simhost/services/handle_bases.h"
#include "simhost/services/module_id.h"

namespace simhost {

// A number as the console shows it: the shortest text without exponent that reads back as the
// same float.
SIMHOST_API std::string formatNumber(float number);

// What a module asks for when it registers a variable.
struct VariableDefinition {
    std::string name;
    std::string defaultValue;
    std::string description;
    bool listed = true;
    std::optional<float> minimum;
    std::optional<float> maximum;
    bool persistent = false;
};

// What setting a variable did with the value.
enum class ValueChange {
    Taken,
    ClampedToMinimum,  // below the lower bound: the variable holds the bound
    ClampedToMaximum,
    // Refused, the value unchanged:
    Empty,
    TooLong,          // longer than any number (kLongestValue)
    NotPlainDecimal,  // a sign other than '-', an exponent, blanks, letters...
    OutOfRange,       // beyond what the variable can hold
};

inline bool accepted(ValueChange change) {
    return change == ValueChange::Taken || change == ValueChange::ClampedToMinimum ||
           change == ValueChange::ClampedToMaximum;
}

// A text read by the host's one grammar for numbers, the console's: `problem` is Taken when it is
// a number, and then `value` holds it.
struct DecimalNumber {
    ValueChange problem = ValueChange::Taken;
    double value = 0.0;
};

// Reads a plain decimal number: an optional minus sign, digits and at most one decimal point,
// ConsoleVariable::kLongestValue characters at most. No plus sign, exponent, blanks, hexadecimal
// or words, so what was typed is what was meant. Every number a player or a plug-in gives the
// host, and every decimal the host's programs take, is read by it.
SIMHOST_API DecimalNumber readDecimal(std::string_view text);

// Why a value was refused, in the player's words ("is not a plain decimal number").
SIMHOST_API const char* refusalOf(ValueChange change);

// One console variable. Its value is kept as the text the player sees together with the number
// it means; booleans bound to it follow the number (non-zero is true).
class SIMHOST_API ConsoleVariable : public HostConsoleVariable {
public:
    // No number a player means needs more characters.
    static constexpr std::size_t kLongestValue = 64;

    ConsoleVariable(VariableDefinition definition, ModuleId creator);

    const VariableDefinition& definition() const { return definition_; }
    const std::string& name() const { return definition_.name; }
    const std::string& text() const { return text_; }
    float number() const { return number_; }
    ModuleId creator() const { return creator_; }
    // What the host made of the registered default: Taken, clamped into the bounds, or refused,
    // when the variable holds 0.
    ValueChange defaultChange() const { return defaultChange_; }
    // How many times its creator registered the name while loaded: the host keeps the first
    // registration's default, bounds and description, and drops the others'.
    int registrations() const { return registrations_; }
    void registeredAgain() { ++registrations_; }
    // Its module is unloaded: the variable and its value stay for the next module that registers
    // the name.
    void orphan() { creator_ = kNoModule; }
    // Whether it was registered first by an earlier module than its creator.
    bool adopted() const { return adopted_; }
    // That next module's registration: its default, bounds and description replace the old ones,
    // and the value stays, clamped into the new bounds (what the clamping did is returned).
    ValueChange adopt(VariableDefinition definition, ModuleId creator);

    // Takes a plain decimal number (optional minus sign, digits, at most one point,
    // kLongestValue characters at most) within the bounds, clamps one outside them, refuses
    // anything else and then keeps the value it had. The text kept is the number in force, not what
    // was typed.
    ValueChange set(std::string_view value);

    // The owner's share of the boolean is kept until unbind(owner); it is written now and on
    // every change.
    void bind(ModuleId owner, std::shared_ptr<bool> target);
    void unbind(ModuleId owner);
    const std::vector<std::pair<ModuleId, std::shared_ptr<bool>>>& bindings() const {
        return bindings_;
    }

private:
    void assign(std::string text, float number);

    VariableDefinition definition_;
    ModuleId creator_;
    std::string text_;
    float number_ = 0.0f;
    ValueChange defaultChange_ = ValueChange::Taken;
    bool adopted_ = false;
    int registrations_ = 1;
    std::vector<std::pair<ModuleId, std::shared_ptr<bool>>> bindings_;
};

}  // namespace simhost
