#pragma once

#include <array>
#include <cstddef>
#include <exception>

namespace simhost {

// The host's calls into a module's own code, in the order of its life cycle. Opening and
// closing run the module's static initialisation and clean-up; a draw runs its drawables.
enum class ModuleCall { Open, Create, OnLoad, Draw, OnUnload, Release, Close };

// The calls as the host's declarations name them: the entries by their exported names.
inline const char* callName(ModuleCall call) {
    constexpr std::array kNames{"open",     "getPlugin", "onLoad", "draw",
                                "onUnload", "deleteMe",  "close"};  // in the order of ModuleCall
    return kNames.at(static_cast<std::size_t>(call));
}

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

// Runs `step`, a call into a module's code, with `watch` told before it and, unless it throws,
// after it returns; no one told for a null watch.
template <typename Step>
decltype(auto) watched(ModuleCallWatch* watch, ModuleCall call, Step&& step) {
    if (watch != nullptr) {
        watch->calling(call);
    }
    const struct Returned {
        ModuleCallWatch* told;
        ModuleCall made;
        int unwinding = std::uncaught_exceptions();
        ~Returned() {
            if (told != nullptr && std::uncaught_exceptions() == unwinding) {
                told->returned(made);
            }
        }
    } returned{watch, call};
    return step();
}

}  // namespace simhost
