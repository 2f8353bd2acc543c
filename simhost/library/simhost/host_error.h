#pragma once

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "simhost/export.h"

namespace simhost {

// A request the host could not carry out, and why. The host is left as it was before the
// request. When the failure is about a file, the file and the cause are kept apart, so that a
// program can show the name in its own way; what() reads "<file>: <cause>".
class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& cause) : std::runtime_error(cause), cause_(cause) {}
    HostError(std::filesystem::path file, const std::string& cause)
        : std::runtime_error(file.string() + ": " + cause), file_(std::move(file)), cause_(cause) {}

    // Empty when the failure is not about one file.
    const std::filesystem::path& file() const { return file_; }
    const std::string& cause() const { return cause_; }

private:
    std::filesystem::path file_;
    std::string cause_;
};

// What a failure that reached the host says about itself, whatever was thrown.
SIMHOST_API std::string describe(std::exception_ptr failure);

// Runs `step`. A HostError passes as it is; any other failure, a module's exception or running
// out of memory, becomes a HostError about `file`: "<what> failed: <its own words>".
// `what` is plain text, so that merely naming the step cannot run out of memory.
template <typename Step>
decltype(auto) asHostError(const std::filesystem::path& file, const char* what, Step&& step) {
    try {
        return step();
    } catch (const HostError&) {
        throw;
    } catch (...) {
        throw HostError(file, std::string(what) + " failed: " + describe(std::current_exception()));
    }
}

}  // namespace simhost
