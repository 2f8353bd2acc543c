#include "program/check/memory_growth.h"

#include <algorithm>

namespace simhost::check {

MemoryGrowth::MemoryGrowth(long long repetitions)
    : repetitions_(repetitions),
      tenth_(std::max<long long>(1, repetitions / 10)),
      middle_(repetitions / 2) {}

bool MemoryGrowth::look(long long done) {
    const std::optional<MemoryUse> looked = memoryUse();
    if (!looked) {
        return false;
    }
    if (done == tenth_) {
        settled_ = *looked;
    }
    if (done == middle_ + 1) {
        halfway_ = *looked;
    }
    if (done > repetitions_ - tenth_) {
        highest_.heapBytes = std::max(highest_.heapBytes, looked->heapBytes);
        highest_.mappedBytes = std::max(highest_.mappedBytes, looked->mappedBytes);
    }
    return true;
}

std::optional<std::string> MemoryGrowth::growth() const {
    if (!(middle_ >= tenth_ && repetitions_ - tenth_ > middle_)) {
        return std::nullopt;  // too few to tell halves apart
    }
    const auto grew = [this](long long MemoryUse::*measure) {
        return halfway_.*measure > settled_.*measure && highest_.*measure > halfway_.*measure;
    };
    if (grew(&MemoryUse::heapBytes)) {
        return "the heap grew by " + std::to_string(highest_.heapBytes - settled_.heapBytes) +
               " bytes, steadily";
    }
    if (grew(&MemoryUse::mappedBytes)) {
        return "mapped memory grew by " +
               std::to_string(highest_.mappedBytes - settled_.mappedBytes) + " bytes, steadily";
    }
    return std::nullopt;
}

}  // namespace simhost::check
