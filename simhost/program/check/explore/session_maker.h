#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "program/check/explore/session.h"

namespace simhost::check {

// A variable of the module as a session may set it: its name and bounds.
struct VariableShape {
    std::string name;
    std::optional<float> minimum;
    std::optional<float> maximum;
};

// Draws one session's steps from a seed and the session's number: the same two give the same
// steps on every platform, for the same module. Each step is drawn from what the host is in
// then (module loaded or not, variables known), so that most steps do something.
class SessionMaker {
public:
    SessionMaker(std::uint64_t seed, long long session, long long longest);

    // How many steps this session takes, from half the longest asked for to all of it.
    long long length() const { return length_; }
    Step next(bool loaded, const std::vector<VariableShape>& variables);

private:
    // A whole number from 0 to `count` - 1, the same on every platform (unlike the standard
    // distributions, whose results the standard leaves to each library).
    std::uint64_t below(std::uint64_t count);
    Vector2 size();
    std::string text(const VariableShape& variable);

    std::mt19937_64 random_;
    long long length_ = 1;
};

}  // namespace simhost::check
