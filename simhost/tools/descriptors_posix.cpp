#include <unistd.h>

#include "tools/descriptors.h"

namespace simhost::descriptors {

int duplicate(int descriptor) noexcept {
    return ::dup(descriptor);
}

bool redirect(int from, int to) noexcept {
    return ::dup2(from, to) >= 0;
}

void close(int descriptor) noexcept {
    ::close(descriptor);
}

long long write(int descriptor, const char* bytes, std::size_t size) noexcept {
    return ::write(descriptor, bytes, size);
}

int of(std::FILE* file) noexcept {
    return ::fileno(file);
}

}  // namespace simhost::descriptors
