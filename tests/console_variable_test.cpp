#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "simhost/services/console_variables.h"

namespace {

using simhost::ConsoleVariable;
using simhost::ConsoleVariables;
using simhost::ValueChange;
using simhost::VariableDefinition;

VariableDefinition unitRange(std::string name) {
    return {std::move(name), "1", "a switch", true, 0.0f, 1.0f, true};
}

TEST(ConsoleVariable, TakesNumbersWithinItsBounds) {
    ConsoleVariable variable(unitRange("v"), 1);
    EXPECT_EQ(variable.text(), "1");
    const auto change = variable.set("0.25");
    EXPECT_EQ(change, ValueChange::Taken);
    EXPECT_EQ(variable.text(), "0.25");
    EXPECT_EQ(variable.number(), 0.25f);
    EXPECT_TRUE(accepted(variable.set("1.")));
    EXPECT_EQ(variable.number(), 1.0f);
    EXPECT_TRUE(accepted(variable.set("-0")));
    EXPECT_EQ(variable.number(), 0.0f);
    EXPECT_EQ(variable.text(), "0");
}

TEST(ConsoleVariable, ShowsTheNumberInForceNotWhatWasTyped) {
    ConsoleVariable variable(unitRange("v"), 1);
    auto flag = std::make_shared<bool>(false);
    variable.bind(1, flag);
    EXPECT_TRUE(accepted(variable.set("0.50")));
    EXPECT_EQ(variable.text(), "0.5");
    // Too small for the variable to hold: in force it is 0, so it shows 0 and the flag is off.
    EXPECT_TRUE(accepted(variable.set("0." + std::string(50, '0') + "1")));
    EXPECT_EQ(variable.text(), "0");
    EXPECT_FALSE(*flag);
    EXPECT_TRUE(accepted(variable.set("0.0000001")));
    EXPECT_EQ(variable.text(), "0.0000001");
    EXPECT_TRUE(*flag);

    for (const char* typed : {"1e-50", "1e0", "+1", " 1", "1 ", ".", "-", "1.2.3", "--1"}) {
        const auto change = variable.set(typed);
        EXPECT_EQ(change, ValueChange::NotPlainDecimal) << typed;
    }
    const std::string longer(65, '1');
    const auto change = variable.set(longer);
    EXPECT_EQ(change, ValueChange::TooLong);
    EXPECT_EQ(variable.text(), "0.0000001");
}

TEST(ConsoleVariable, ClampsNumbersOutsideItsBounds) {
    ConsoleVariable variable(unitRange("v"), 1);
    // A bound itself is within the bounds.
    EXPECT_EQ(variable.set("0"), ValueChange::Taken);
    EXPECT_EQ(variable.set("1"), ValueChange::Taken);
    auto change = variable.set("5");
    EXPECT_EQ(change, ValueChange::ClampedToMaximum);
    EXPECT_EQ(variable.text(), "1");

    const std::string huge = "-1" + std::string(40, '0');
    change = variable.set(huge);
    EXPECT_EQ(variable.text(), "0");
    EXPECT_EQ(change, ValueChange::ClampedToMinimum);

    ConsoleVariable unbounded({"u", "0", "", true, std::nullopt, std::nullopt, false}, 1);
    EXPECT_EQ(unbounded.set(huge.substr(1)), ValueChange::OutOfRange);  // beyond a float
    EXPECT_TRUE(accepted(unbounded.set("-12.5")));
    EXPECT_EQ(unbounded.number(), -12.5f);
}

// Each refusal in its own words: an empty text and one longer than any number are told apart.
TEST(ConsoleVariable, EachRefusalHasItsOwnWords) {
    ConsoleVariable variable(unitRange("v"), 1);
    EXPECT_STREQ(simhost::refusalOf(variable.set("")), "is empty, not a number");
    EXPECT_STREQ(simhost::refusalOf(variable.set(std::string(65, '1'))),
                 "is too long for a number");
    EXPECT_STREQ(simhost::refusalOf(variable.set("0." + std::string(63, '0'))),
                 "is too long for a number");
    EXPECT_EQ(variable.set("1." + std::string(62, '0')), ValueChange::Taken);  // 64: the longest
    EXPECT_STREQ(simhost::refusalOf(variable.set("1e0")), "is not a plain decimal number");
    ConsoleVariable unbounded({"u", "0", "", true, std::nullopt, std::nullopt, false}, 1);
    EXPECT_STREQ(simhost::refusalOf(unbounded.set("1" + std::string(40, '0'))), "is out of range");
    EXPECT_EQ(variable.text(), "1");
}

TEST(ConsoleVariable, RefusesWhatIsNoNumberAndKeepsItsValue) {
    ConsoleVariable variable(unitRange("v"), 1);
    variable.set("0.5");
    for (const std::string& value : std::vector<std::string>{
             "", " ", "on", "nan", "inf", "-inf", "0x1", "1,5", "1 2", "+-1", "\xef\xbc\x91",
             std::string("1\0"
                         "0",
                         3),
             std::string(5000, '9'), "1e999"}) {
        SCOPED_TRACE(value.substr(0, 20));
        const auto change = variable.set(value);
        EXPECT_FALSE(accepted(change));
        EXPECT_EQ(variable.text(), "0.5");
        EXPECT_EQ(variable.number(), 0.5f);
    }
}

TEST(ConsoleVariable, BoundBooleansFollowTheValue) {
    ConsoleVariable variable(unitRange("v"), 1);
    variable.set("0");
    auto flag = std::make_shared<bool>(true);
    variable.bind(7, flag);
    EXPECT_FALSE(*flag);  // written at once
    EXPECT_EQ(flag.use_count(), 2);
    variable.set("0.5");
    EXPECT_TRUE(*flag);
    variable.set("junk");
    EXPECT_TRUE(*flag);
    variable.set("-3");
    EXPECT_FALSE(*flag);

    variable.unbind(7);
    EXPECT_EQ(flag.use_count(), 1);
    variable.set("1");
    EXPECT_FALSE(*flag);
}

TEST(ConsoleVariables, RegisteringAgainKeepsTheFirstVariableAndItsValue) {
    ConsoleVariables variables;
    ConsoleVariable& first = variables.define(unitRange("b"), 1);
    first.set("0");
    VariableDefinition other = unitRange("b");
    other.description = "another";
    ConsoleVariable& again = variables.define(other, 2);
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(again.text(), "0");
    EXPECT_EQ(again.definition().description, "a switch");

    variables.define(unitRange("a"), 2);
    ASSERT_EQ(variables.all().size(), 2u);
    EXPECT_EQ(variables.all().front()->name(), "a");

    // Names are the player's to type in any case.
    EXPECT_EQ(variables.find("B"), &first);
    EXPECT_EQ(&variables.define(unitRange("A"), 3), variables.find("a"));
    EXPECT_EQ(variables.size(), 2u);

    variables.removeCreatedBy(2);
    EXPECT_EQ(variables.find("a"), nullptr);
    EXPECT_NE(variables.find("b"), nullptr);
}

// A default the host refuses leaves 0; one outside the bounds is clamped like a typed value.
TEST(ConsoleVariable, ItsDefaultIsReadLikeATypedValue) {
    VariableDefinition exponent = unitRange("e");
    exponent.defaultValue = "1e0";
    const ConsoleVariable refused(exponent, 1);
    EXPECT_EQ(refused.defaultChange(), ValueChange::NotPlainDecimal);
    EXPECT_EQ(refused.text(), "0");
    EXPECT_EQ(refused.number(), 0.0f);
    VariableDefinition high = unitRange("h");
    high.defaultValue = "7";
    const ConsoleVariable clamped(high, 1);
    EXPECT_EQ(clamped.defaultChange(), ValueChange::ClampedToMaximum);
    EXPECT_EQ(clamped.text(), "1");
    EXPECT_EQ(ConsoleVariable(unitRange("t"), 1).defaultChange(), ValueChange::Taken);
}

// An unloaded module's variable keeps its value for the next module that registers the name,
// which brings its own default, bounds and description; a failed load leaves it as it was.
TEST(ConsoleVariables, AVariableLeftBehindTakesTheNextRegistration) {
    ConsoleVariables variables;
    VariableDefinition wide = unitRange("size");
    wide.maximum = 10.0f;
    variables.define(wide, 1).set("8");
    variables.define(unitRange("fresh_then_gone"), 1);
    variables.orphanCreatedBy(1);
    EXPECT_EQ(variables.find("size")->creator(), simhost::kNoModule);

    VariableDefinition narrow = unitRange("size");
    narrow.maximum = 4.0f;
    narrow.defaultValue = "2";
    narrow.description = "a smaller size";
    ConsoleVariable& size = variables.define(narrow, 2);
    EXPECT_EQ(size.creator(), 2u);
    EXPECT_EQ(size.text(), "4");
    EXPECT_EQ(size.definition().maximum, 4.0f);
    EXPECT_EQ(size.definition().defaultValue, "2");
    EXPECT_EQ(size.definition().description, "a smaller size");
    // Another loaded module's registration changes nothing.
    variables.define(wide, 3);
    EXPECT_EQ(size.definition().maximum, 4.0f);
    EXPECT_EQ(size.creator(), 2u);

    variables.define(unitRange("only_two"), 2);
    variables.removeCreatedBy(2);
    EXPECT_EQ(variables.find("only_two"), nullptr);
    ASSERT_EQ(variables.find("size"), &size);
    EXPECT_EQ(size.creator(), simhost::kNoModule);
    EXPECT_EQ(size.text(), "4");
    EXPECT_NE(variables.find("fresh_then_gone"), nullptr);
}

}  // namespace
