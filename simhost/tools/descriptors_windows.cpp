#include <io.h>

#include <algorithm>
#include <climits>

#include "tools/descriptors.h"

namespace simhost::descriptors {

int duplicate(int descriptor) noexcept {
    return ::_dup(descriptor);
}

bool redirect(int from, int to) noexcept {
    return ::_dup2(from, to) == 0;
}

void close(int descriptor) noexcept {
    ::_close(descriptor);
}

long long write(int descriptor, const char* bytes, std::size_t size) noexcept {
    return ::_write(descriptor, bytes, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

int of(std::FILE* file) noexcept {
    return ::_fileno(file);
}

}  // namespace simhost::descriptors
