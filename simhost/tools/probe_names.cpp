#include "tools/probe_names.h"

#include <cstdlib>
#include <memory>
#include <system_error>

#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#define SIMHOST_ITANIUM_NAMES 1
#endif

namespace simhost {

std::filesystem::path resolvedName(const std::filesystem::path& file) {
    std::error_code error;
    auto result = std::filesystem::canonical(file, error);
    return error ? std::filesystem::absolute(file) : result;
}

// A name as the Itanium ABI decorates it, read back; where that ABI is not this program's, the
// name as it stands.
#if defined(SIMHOST_ITANIUM_NAMES)
std::string readableSymbol(const std::string& name) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> readable(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 && readable ? std::string(readable.get()) : name;
}
#else
std::string readableSymbol(const std::string& name) {
    return name;
}
#endif

}  // namespace simhost
