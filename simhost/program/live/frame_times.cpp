#include "program/live/frame_times.h"

#include "program/values/counting.h"

namespace simhost {

FrameTimes::Duration FrameTimes::percentile(double percent) const {
    return simhost::percentile(times_, percent);
}

}  // namespace simhost
