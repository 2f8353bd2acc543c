#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace simhost {

// How long the frames took to make, from clearing the canvas to presenting it; the wait for the
// display is not counted.
class FrameTimes {
public:
    using Duration = std::chrono::duration<double, std::milli>;

    // Room for `frames` records, so that recording does not touch the heap while frames run.
    explicit FrameTimes(std::size_t frames) { times_.reserve(frames); }

    void record(Duration time) { times_.push_back(time); }
    std::size_t count() const { return times_.size(); }

    // The smallest time that `percent` per cent of the frames do not exceed (nearest rank);
    // zero when nothing was recorded.
    Duration percentile(double percent) const;
    Duration median() const { return percentile(50); }

private:
    std::vector<Duration> times_;
};

}  // namespace simhost
