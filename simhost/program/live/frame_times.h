#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace simhost {

// How long the frames took to make, from the host's draw to presenting it (the wait for the
// display is not counted), and how many bytes each sent to the screen.
class FrameTimes {
public:
    using Duration = std::chrono::duration<double, std::milli>;

    // Room for `frames` records, so that recording does not touch the heap while frames run.
    explicit FrameTimes(std::size_t frames) {
        times_.reserve(frames);
        uploaded_.reserve(frames);
    }

    void record(Duration time, std::size_t uploaded) {
        times_.push_back(time);
        uploaded_.push_back(uploaded);
    }
    std::size_t count() const { return times_.size(); }

    // The smallest time that `percent` per cent of the frames do not exceed (nearest rank);
    // zero when nothing was recorded.
    Duration percentile(double percent) const;
    Duration median() const { return percentile(50); }
    // The same for the bytes sent to the screen.
    std::size_t uploadedPercentile(double percent) const;

private:
    std::vector<Duration> times_;
    std::vector<std::size_t> uploaded_;
};

}  // namespace simhost
