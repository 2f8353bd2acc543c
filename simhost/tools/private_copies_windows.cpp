#include <windows.h>

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>

#include "simhost/host_error.h"
#include "tools/private_copies.h"

namespace simhost {

namespace {

constexpr std::string_view kPrefix = "simhost-";

bool running(DWORD process) {
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (handle == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's: not ours to judge
    }
    const bool alive = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    CloseHandle(handle);
    return alive;
}

// The folders of sessions whose process is gone: one that was killed could not remove its own.
void removeLeftBehind(const std::filesystem::path& temporary) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(temporary, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPrefix)) {
            continue;
        }
        DWORD process = 0;
        const char* last = name.data() + name.size();
        const auto [end, problem] = std::from_chars(name.data() + kPrefix.size(), last, process);
        if (problem != std::errc() || end != last || running(process)) {
            continue;
        }
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

}  // namespace

struct PrivateCopies::Held {
    std::filesystem::path folder;
    // The subfolder of the copy loaded last.
    std::filesystem::path previous;
    unsigned copies = 0;
};

PrivateCopies::PrivateCopies() : held_(std::make_unique<Held>()) {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error) {
        throw HostError("cannot find the temporary directory: " + error.message());
    }
    removeLeftBehind(temporary);
    const std::filesystem::path folder =
        temporary / (std::string(kPrefix) + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(folder, error);  // a gone session's, whose number this one got
    std::filesystem::create_directory(folder, error);
    if (error) {
        throw HostError(folder, "cannot make a folder for module copies: " + error.message());
    }
    held_->folder = folder;
}

PrivateCopies::~PrivateCopies() {
    removeAll();
}

void PrivateCopies::removeAll() noexcept {
    std::error_code ignored;
    std::filesystem::remove_all(held_->folder, ignored);
}

std::filesystem::path PrivateCopies::copyWithin(const std::filesystem::path& file) {
    const std::filesystem::path subfolder = held_->folder / std::to_string(++held_->copies);
    const std::filesystem::path copy = subfolder / file.filename();
    std::error_code error;
    std::filesystem::create_directory(subfolder, error);
    if (!error) {
        std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing,
                                   error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove_all(subfolder, ignored);
        throw HostError(file, "cannot copy it for loading: " + error.message());
    }
    if (!held_->previous.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(held_->previous, ignored);
    }
    held_->previous = subfolder;
    return copy;
}

}  // namespace simhost
