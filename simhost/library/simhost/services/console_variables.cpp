#include "simhost/services/console_variables.h"

#include <algorithm>

#include "simhost/services/console_names.h"

namespace simhost {

bool ConsoleVariables::CaseInsensitiveLess::operator()(std::string_view a,
                                                       std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lowerCase(x)) < static_cast<unsigned char>(lowerCase(y));
    });
}

ConsoleVariable& ConsoleVariables::define(VariableDefinition definition, ModuleId creator) {
    if (const auto found = variables_.find(definition.name); found != variables_.end()) {
        if (found->second.creator() == creator) {
            found->second.registeredAgain();
        }
        return found->second;
    }
    std::string name = definition.name;
    ConsoleVariable variable(std::move(definition), creator);
    return variables_.emplace(std::move(name), std::move(variable)).first->second;
}

ConsoleVariable* ConsoleVariables::find(std::string_view name) {
    const auto found = variables_.find(name);
    return found == variables_.end() ? nullptr : &found->second;
}

const ConsoleVariable* ConsoleVariables::find(std::string_view name) const {
    const auto found = variables_.find(name);
    return found == variables_.end() ? nullptr : &found->second;
}

std::vector<const ConsoleVariable*> ConsoleVariables::all() const {
    std::vector<const ConsoleVariable*> result;
    result.reserve(variables_.size());
    for (const auto& entry : variables_) {
        result.push_back(&entry.second);
    }
    return result;
}

void ConsoleVariables::unbindAll(ModuleId owner) {
    for (auto& entry : variables_) {
        entry.second.unbind(owner);
    }
}

void ConsoleVariables::removeCreatedBy(ModuleId creator) {
    std::erase_if(variables_,
                  [creator](const auto& entry) { return entry.second.creator() == creator; });
}

}  // namespace simhost
