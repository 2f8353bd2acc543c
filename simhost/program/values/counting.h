#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Counts and measures as the program writes them for people.
namespace simhost {

// "1 draw", "2 draws": the count and the word for it.
inline std::string counted(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// The smallest value that `percent` per cent of `values` do not exceed (nearest rank); a
// value-initialised T when there are none.
template <typename T>
T percentile(std::vector<T> values, double percent) {
    if (values.empty()) {
        return T{};
    }
    const auto rank = static_cast<std::size_t>(
        std::ceil(std::clamp(percent, 0.0, 100.0) / 100.0 * static_cast<double>(values.size())));
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(rank == 0 ? 0 : rank - 1);
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

}  // namespace simhost
