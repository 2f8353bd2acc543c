#include <windows.h>

#include "tools/file_watch.h"

namespace simhost {

namespace {

std::int64_t nanoseconds(FILETIME time) {
    // FILETIME counts 100 ns steps.
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime) *
           100;
}

}  // namespace

FileStamp stampOf(const std::filesystem::path& file) noexcept {
    FileStamp stamp;
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
    return stamp;
}

}  // namespace simhost
