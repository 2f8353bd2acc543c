#pragma once

namespace simhost {

// The host's calls into a module's own code, in the order of its life cycle. Opening and
// closing run the module's static initialisation and clean-up; a draw runs its drawables.
enum class ModuleCall { Open, Create, OnLoad, Draw, OnUnload, Release, Close };

// Told of every call into a module's code before it is made and after it returns, so that a
// caller can name the call a module hung or crashed in, or look at the host between two calls.
// A watch must not call into the host it watches.
class ModuleCallWatch {
public:
    virtual void calling(ModuleCall call) = 0;
    virtual void returned(ModuleCall /*call*/) {}

protected:
    ModuleCallWatch() = default;
    ModuleCallWatch(const ModuleCallWatch&) = default;
    ModuleCallWatch& operator=(const ModuleCallWatch&) = default;
    ~ModuleCallWatch() = default;
};

}  // namespace simhost
