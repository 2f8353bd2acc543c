#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "program/check/explore/session.h"
#include "program/check/explore/session_maker.h"
#include "simhost/host.h"

namespace simhost::check {

// What a step found broken: its kind, which tells one fault from another when a session is
// shrunk ("a draw threw"), and what was seen ("std::bad_alloc").
struct Broken {
    std::string kind;
    std::string detail;

    std::string text() const { return detail.empty() ? kind : kind + ": " + detail; }
};

// A host of its own that a session's steps drive a module through, holding the module to the
// host's contract after every step. A step that cannot apply (a load while loaded, an unload
// while not, a set of a variable not yet registered) does nothing: a shrunk session may hold one.
class SessionHost {
public:
    // `measureHeap`: whether the process's heap figures mean anything (not under a sanitizer).
    SessionHost(std::filesystem::path module, const HostWatches& watches, bool measureHeap);
    SessionHost(const SessionHost&) = delete;
    SessionHost& operator=(const SessionHost&) = delete;
    ~SessionHost();

    std::optional<Broken> take(const Step& step);

    bool loaded() const { return id_.has_value(); }
    // The variables the module registered, whose names a console line can type.
    const std::vector<VariableShape>& variables() const { return variables_; }

private:
    // What a load registered: its drawables and its variables' names.
    struct Registered {
        std::size_t drawables = 0;
        std::vector<std::string> names;
        bool operator==(const Registered&) const = default;
    };

    std::optional<Broken> load();
    std::optional<Broken> unload(Step::Kind how);
    std::optional<Broken> draw(Vector2 size);
    std::optional<Broken> booleansAgree();
    Registered registered();

    std::filesystem::path module_;
    bool measureHeap_;
    Host host_;
    std::optional<ModuleId> id_;
    std::optional<PluginModule> kept_;
    std::optional<Registered> firstLoad_;
    std::vector<VariableShape> variables_;
};

}  // namespace simhost::check
