#pragma once

#include <cstddef>
#include <cstdio>

// The C runtime's file descriptors, named alike on every platform.
namespace simhost::descriptors {

inline constexpr int kOutput = 1;
inline constexpr int kError = 2;

// A second descriptor for the same file; -1 when there is none.
int duplicate(int descriptor) noexcept;
// Makes `to` refer to what `from` refers to; false when it cannot.
bool redirect(int from, int to) noexcept;
void close(int descriptor) noexcept;
// The bytes written, or a negative number on failure.
long long write(int descriptor, const char* bytes, std::size_t size) noexcept;
int of(std::FILE* file) noexcept;

}  // namespace simhost::descriptors
