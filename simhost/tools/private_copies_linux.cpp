#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "simhost/host_error.h"
#include "tools/private_copies.h"

namespace simhost {

struct PrivateCopies::Held {
    // The copy loaded last, open as long as it may be loaded again by its path.
    int copy = -1;
};

PrivateCopies::PrivateCopies() : held_(std::make_unique<Held>()) {}

PrivateCopies::~PrivateCopies() {
    removeAll();
}

void PrivateCopies::removeAll() noexcept {
    if (held_->copy >= 0) {
        close(held_->copy);
        held_->copy = -1;
    }
}

std::filesystem::path PrivateCopies::copyWithin(const std::filesystem::path& file) {
    const int copy = memfd_create(file.filename().c_str(), MFD_CLOEXEC);
    std::filesystem::path copied = "/proc/self/fd/" + std::to_string(copy);
    std::error_code error(copy < 0 ? errno : 0, std::generic_category());
    if (copy >= 0) {
        std::filesystem::copy_file(file, copied, std::filesystem::copy_options::overwrite_existing,
                                   error);
    }
    if (error) {
        if (copy >= 0) {
            close(copy);
        }
        throw HostError(file, "cannot copy it for loading: " + error.message());
    }
    removeAll();
    held_->copy = copy;
    return copied;
}

}  // namespace simhost
