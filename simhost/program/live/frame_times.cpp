#include "program/live/frame_times.h"

#include <algorithm>
#include <cmath>

namespace simhost {

FrameTimes::Duration FrameTimes::percentile(double percent) const {
    if (times_.empty()) {
        return Duration::zero();
    }
    std::vector<Duration> sorted = times_;
    const auto rank = static_cast<std::size_t>(
        std::ceil(std::clamp(percent, 0.0, 100.0) / 100.0 * static_cast<double>(sorted.size())));
    const std::size_t index = rank == 0 ? 0 : rank - 1;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(index),
                     sorted.end());
    return sorted[index];
}

}  // namespace simhost
