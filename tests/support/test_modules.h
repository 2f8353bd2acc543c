#pragma once

#include <filesystem>
#include <string>

// Modules are built beside the test program, which runs in that directory.
inline std::filesystem::path modulePath(const std::string& name) {
    return std::filesystem::path(name + TEST_MODULE_SUFFIX);
}

inline std::filesystem::path tavorindenModule() {
    return modulePath("Tavorinden");
}
