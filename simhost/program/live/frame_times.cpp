#include "program/live/frame_times.h"

#include "program/values/counting.h"

namespace simhost {

FrameTimes::Duration FrameTimes::percentile(double percent) const {
    return simhost::percentile(times_, percent);
}

std::size_t FrameTimes::uploadedPercentile(double percent) const {
    return simhost::percentile(uploaded_, percent);
}

}  // namespace simhost
