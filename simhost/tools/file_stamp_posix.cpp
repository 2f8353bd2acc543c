#include <sys/stat.h>

#include "tools/file_watch.h"

namespace simhost {

namespace {

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

FileStamp stampOf(const std::filesystem::path& file) noexcept {
    FileStamp stamp;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        stamp.exists = true;
        stamp.device = static_cast<std::uint64_t>(info.st_dev);
        stamp.identity = static_cast<std::uint64_t>(info.st_ino);
        stamp.size = static_cast<std::uint64_t>(info.st_size);
        stamp.modified = nanoseconds(info.st_mtim);
        stamp.changed = nanoseconds(info.st_ctim);
    }
    return stamp;
}

}  // namespace simhost
