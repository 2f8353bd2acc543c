#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bakkesmod/vector2.h"
#include "program/check/child/call_report.h"
#include "simhost/result.h"

// A host session the explore check drives a module through: host operations in order, each
// written as a console-like command so that a session can be printed, typed back and replayed.
namespace simhost::check {

struct Step {
    enum class Kind {
        Load,         // load
        Unload,       // unload: the host's own order, the module file closed
        UnloadEarly,  // unload early: the release entry before the host drops its copy
        UnloadKeep,   // unload keep: the file stays open, and the next load takes it again
        Draw,         // draw WxH: the canvas resized, then one host draw
        Set,          // set NAME TEXT: what a player types at the console
    };
    Kind kind = Kind::Load;
    Vector2 size{0, 0};
    std::string name;
    std::string text;
};

using Session = std::vector<Step>;

// "draw 7x1", "set cl_example \"\"": names and texts quoted where a word would not read back.
std::string stepText(const Step& step);
// The steps joined by "; ", as --replay takes them.
std::string sessionText(const Session& session);
// A session as sessionText writes it; refused naming the step that does not read.
Result<Session> parseSession(std::string_view text);

}  // namespace simhost::check
