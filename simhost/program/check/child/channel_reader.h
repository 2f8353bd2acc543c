#pragma once

#include <cstddef>

namespace simhost::check {

// Where what a check's child writes on one channel goes, as the parent reads it.
class ChannelReader {
public:
    virtual ~ChannelReader() = default;
    virtual void add(const char* bytes, std::size_t count) = 0;
};

}  // namespace simhost::check
