#include "tools/file_watch.h"

#include <utility>

namespace simhost {

FileWatch::FileWatch(std::filesystem::path file, Clock::time_point now)
    : file_(std::move(file)), taken_(stampOf(file_)), seen_(taken_), seenSince_(now) {}

std::optional<FileStamp> FileWatch::poll(Clock::time_point now) {
    const FileStamp stamp = stampOf(file_);
    if (stamp != seen_) {
        seen_ = stamp;
        seenSince_ = now;
        return std::nullopt;
    }
    if (!stamp.exists || stamp == taken_ || now - seenSince_ < kSettle) {
        return std::nullopt;
    }
    taken_ = stamp;
    return stamp;
}

}  // namespace simhost
