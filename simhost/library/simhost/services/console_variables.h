#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "simhost/export.h"
#include "simhost/services/console_variable.h"

namespace simhost {

// Every console variable of the host, by name. Names are not case-sensitive: a player typing
// CL_EXAMPLE means cl_example, as with the console's commands. Variables outlive the modules
// that registered them, so that a player's setting survives unloading and reloading a plug-in; the
// bindings they hold into a module do not.
class SIMHOST_API ConsoleVariables {
public:
    // Registers the variable, or returns the one already registered under that name unchanged
    // (counting the registration when it is its creator's again).
    ConsoleVariable& define(VariableDefinition definition, ModuleId creator);

    ConsoleVariable* find(std::string_view name);
    const ConsoleVariable* find(std::string_view name) const;
    std::size_t size() const { return variables_.size(); }
    // In name order.
    std::vector<const ConsoleVariable*> all() const;
    // The variables the module registered, in name order.
    std::vector<ConsoleVariable*> createdBy(ModuleId creator);

    // Drops the owner's shares of the booleans it bound: a module's booleans must be gone before
    // the module's code is unmapped.
    void unbindAll(ModuleId owner);
    // The module is unloaded: its variables stay, for whichever module registers them next.
    void orphanCreatedBy(ModuleId creator);
    // Forgets the variables the module registered first; those an earlier module left stay, with
    // their values, for the next module. For a module whose load failed.
    void removeCreatedBy(ModuleId creator);

private:
    struct CaseInsensitiveLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    std::map<std::string, ConsoleVariable, CaseInsensitiveLess> variables_;
};

}  // namespace simhost
