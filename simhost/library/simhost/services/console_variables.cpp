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
        ConsoleVariable& variable = found->second;
        if (variable.creator() == creator) {
            variable.registeredAgain();
        } else if (variable.creator() == kNoModule) {
            variable.adopt(std::move(definition), creator);
        }
        return variable;
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

std::vector<ConsoleVariable*> ConsoleVariables::createdBy(ModuleId creator) {
    std::vector<ConsoleVariable*> result;
    for (auto& entry : variables_) {
        if (entry.second.creator() == creator) {
            result.push_back(&entry.second);
        }
    }
    return result;
}

void ConsoleVariables::unbindAll(ModuleId owner) {
    for (auto& entry : variables_) {
        entry.second.unbind(owner);
    }
}

void ConsoleVariables::orphanCreatedBy(ModuleId creator) {
    for (auto& entry : variables_) {
        if (entry.second.creator() == creator) {
            entry.second.orphan();
        }
    }
}

void ConsoleVariables::removeCreatedBy(ModuleId creator) {
    // What an earlier module left keeps its value; the player set it.
    for (auto& entry : variables_) {
        if (entry.second.creator() == creator && entry.second.adopted()) {
            entry.second.orphan();
        }
    }
    std::erase_if(variables_,
                  [creator](const auto& entry) { return entry.second.creator() == creator; });
}

}  // namespace simhost
