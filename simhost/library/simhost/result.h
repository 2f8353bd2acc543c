#pragma once

#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace simhost {

// Why something was refused, in words for people.
struct Refusal {
    std::string reason;
};

inline Refusal refuse(std::string reason) {
    return {std::move(reason)};
}

// Nothing more to say than that it was accepted.
struct Accepted {};

// The one way parsers and checks refuse: a value, or the refusal that stands in its place. The
// caller decides how to tell it; nothing is thrown and nothing is written out of band.
template <typename T = Accepted>
class [[nodiscard]] Result {
public:
    Result() requires std::is_same_v<T, Accepted>
    = default;
    Result(T value) : held_(std::move(value)) {}            // NOLINT(google-explicit-constructor)
    Result(Refusal refusal) : held_(std::move(refusal)) {}  // NOLINT(google-explicit-constructor)

    bool accepted() const { return held_.index() == 0; }
    explicit operator bool() const { return accepted(); }

    // The value; only when accepted.
    const T& operator*() const& { return std::get<0>(held_); }
    T& operator*() & { return std::get<0>(held_); }
    T&& operator*() && { return std::get<0>(std::move(held_)); }
    const T* operator->() const { return &std::get<0>(held_); }

    // The reason; only when refused.
    const std::string& reason() const { return std::get<1>(held_).reason; }

private:
    std::variant<T, Refusal> held_;
};

}  // namespace simhost
