#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "simhost/host_error.h"
#include "tools/private_copies.h"

namespace simhost {

namespace {

// Copies the whole of `source` to `copy`; false, with errno set, when it cannot.
bool copyAll(int source, int copy) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(source, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t put =
                write(copy, buffer + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno != EINTR) {
                return false;
            }
            written += put > 0 ? put : 0;
        }
    }
}

}  // namespace

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
    const int source = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    const int copy = source < 0 ? -1 : memfd_create(file.filename().c_str(), MFD_CLOEXEC);
    const bool copied = copy >= 0 && copyAll(source, copy);
    const int error = errno;
    if (source >= 0) {
        close(source);
    }
    if (!copied) {
        if (copy >= 0) {
            close(copy);
        }
        throw HostError(file, std::string("cannot copy it for loading: ") + std::strerror(error));
    }
    removeAll();
    held_->copy = copy;
    return "/proc/self/fd/" + std::to_string(copy);
}

}  // namespace simhost
