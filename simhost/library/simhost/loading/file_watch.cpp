#include "simhost/loading/file_watch.h"

#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace simhost {

namespace {

#if defined(_WIN32)
std::int64_t nanoseconds(FILETIME time) {
    // FILETIME counts 100 ns steps.
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime) *
           100;
}
#else
std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}
#endif

}  // namespace

FileStamp stampOf(const std::filesystem::path& file) noexcept {
    FileStamp stamp;
#if defined(_WIN32)
    // Opened for nothing but its attributes, sharing everything, so a writer is not disturbed.
    const HANDLE handle =
        CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return stamp;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info)) {
        stamp.exists = true;
        stamp.device = info.dwVolumeSerialNumber;
        stamp.identity = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
        stamp.modified = nanoseconds(info.ftLastWriteTime);
        stamp.changed = nanoseconds(info.ftCreationTime);
    }
    CloseHandle(handle);
#else
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        stamp.exists = true;
        stamp.device = static_cast<std::uint64_t>(info.st_dev);
        stamp.identity = static_cast<std::uint64_t>(info.st_ino);
        stamp.size = static_cast<std::uint64_t>(info.st_size);
        stamp.modified = nanoseconds(info.st_mtim);
        stamp.changed = nanoseconds(info.st_ctim);
    }
#endif
    return stamp;
}

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
