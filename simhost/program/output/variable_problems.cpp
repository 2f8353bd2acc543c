#include "program/output/variable_problems.h"

#include "program/output/shown_text.h"

namespace simhost {

std::string defaultProblem(const ConsoleVariable& variable) {
    const ValueChange change = variable.defaultChange();
    if (change == ValueChange::Taken) {
        return {};
    }
    const std::string name = printable(variable.name());
    const std::string& byDefault = variable.definition().defaultValue;
    if (accepted(change)) {
        // Clamped: a plain decimal number, safe to show as it is.
        return name + "'s default " + byDefault + " lies outside its bounds";
    }
    return name + "'s default " + printable(byDefault) + " " + refusalOf(change);
}

}  // namespace simhost
