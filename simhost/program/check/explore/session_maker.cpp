#include "program/check/explore/session_maker.h"

#include <array>

#include "simhost/services/canvas.h"
#include "simhost/services/console_variable.h"

namespace simhost::check {

namespace {

// One seed and one session number mixed into one state, so that neighbouring sessions differ
// in every bit (SplitMix64's finaliser).
std::uint64_t mixed(std::uint64_t seed, long long session) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(session + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Texts the host refuses: empty, words, exponents, signs, blanks, hexadecimal, too long.
constexpr std::array kRefused{"", "abc", "1e3", "+1", " 1", "0x1", "nan", "-", "1.", "1,5"};

}  // namespace

SessionMaker::SessionMaker(std::uint64_t seed, long long session, long long longest)
    : random_(mixed(seed, session)) {
    // At least half the longest: the faults worth finding take a few steps to reach.
    const long long shortest = (longest + 1) / 2;
    length_ = shortest +
              static_cast<long long>(below(static_cast<std::uint64_t>(longest - shortest + 1)));
}

std::uint64_t SessionMaker::below(std::uint64_t count) {
    return count == 0 ? 0 : random_() % count;
}

Vector2 SessionMaker::size() {
    const auto side = [this](int largest) {
        return static_cast<int>(below(static_cast<std::uint64_t>(largest) + 1));
    };
    constexpr std::array<Vector2, 5> kScreens{
        {{1280, 720}, {1920, 1080}, {2560, 1440}, {3840, 2160}, {1366, 768}}};
    const std::uint64_t kind = below(20);
    if (kind < 2) {
        return {0, 0};
    }
    if (kind < 5) {  // a line of pixels, up to the longest side
        const int length = 1 + side(Canvas::kMaxSide - 1);
        return below(2) == 0 ? Vector2{1, length} : Vector2{length, 1};
    }
    if (kind < 12) {  // small: every odd and even side below 16 comes up often
        return {side(15), side(15)};
    }
    if (kind < 15) {
        return kScreens.at(below(kScreens.size()));
    }
    if (kind < 19) {
        return {side(2560), side(2560)};
    }
    // The longest side with a short other: the largest canvas by area is the drawing check's,
    // whose one draw there costs what a whole session should.
    return {Canvas::kMaxSide, side(15)};
}

std::string SessionMaker::text(const VariableShape& variable) {
    const float low = variable.minimum.value_or(0.0f);
    const float high = variable.maximum.value_or(1.0f);
    const std::uint64_t kind = below(10);
    if (kind < 2) {
        return kRefused.at(below(kRefused.size()));
    }
    if (kind == 2) {
        return std::string(300, '1');
    }
    const std::array<float, 7> numbers{low, high, (low + high) / 2, low - 1, high + 1, 0.0f, 1.0f};
    return formatNumber(numbers.at(below(numbers.size())));
}

Step SessionMaker::next(bool loaded, const std::vector<VariableShape>& variables) {
    const std::uint64_t roll = below(100);
    if (!variables.empty() && roll < (loaded ? 20 : 35)) {
        const VariableShape& variable = variables.at(below(variables.size()));
        return {Step::Kind::Set, {}, variable.name, text(variable)};
    }
    if (!loaded) {
        return roll < 85 ? Step{Step::Kind::Load, {}, {}, {}}
                         : Step{Step::Kind::Draw, size(), {}, {}};
    }
    if (roll < 75) {
        return {Step::Kind::Draw, size(), {}, {}};
    }
    constexpr std::array kUnloads{Step::Kind::Unload, Step::Kind::Unload, Step::Kind::UnloadEarly,
                                  Step::Kind::UnloadKeep};
    return {kUnloads.at(below(kUnloads.size())), {}, {}, {}};
}

}  // namespace simhost::check
