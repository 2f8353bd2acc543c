#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace simhost {

// What tells one content of a file from the next without reading it. A linker that replaces the
// file gives it a new identity; one that rewrites it in place changes its size or its times.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t identity = 0;  // inode, or the Windows file index
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    std::int64_t changed = 0;   // the inode's change time; the creation time on Windows

    bool operator==(const FileStamp&) const = default;
};

// The file's stamp now; one that does not exist when the file cannot be looked at.
FileStamp stampOf(const std::filesystem::path& file) noexcept;

// Watches one file for a new content worth loading. A new content is reported once it has kept
// still for kSettle: linkers write in pieces, and a file taken in the middle will not load.
class FileWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kSettle{100};

    // The content the file has now counts as taken already.
    FileWatch(std::filesystem::path file, Clock::time_point now);

    // The stamp of a settled content that differs from the last one taken; it is taken by this
    // call. A file that has gone is nothing to load: the watch waits for it to come back.
    std::optional<FileStamp> poll(Clock::time_point now);

    const std::filesystem::path& file() const { return file_; }
    // Whether the file has looked different from the content last taken, as of the last poll.
    bool changedSinceTaken() const { return seen_ != taken_; }

private:
    std::filesystem::path file_;
    FileStamp taken_;
    FileStamp seen_;
    Clock::time_point seenSince_;
};

}  // namespace simhost
