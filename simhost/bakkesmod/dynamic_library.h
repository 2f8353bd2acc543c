#pragma once

#include <filesystem>
#include <string>

#include "bakkesmod/api.h"

namespace simhost {

// An open shared library (a .so or a DLL), closed when this goes.
class BAKKESMOD_API DynamicLibrary {
public:
    // Opens the file with every symbol resolved now. Throws std::runtime_error with the system
    // loader's own explanation.
    explicit DynamicLibrary(const std::filesystem::path& file);
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary();

    // The address of an exported symbol, or null when the library has none of that name.
    void* symbol(const char* name) const;
    bool isOpen() const { return handle_ != nullptr; }
    // Unloads the library: its static clean-up runs now. Closing twice does nothing.
    void close() noexcept;

private:
    void* handle_ = nullptr;
};

}  // namespace simhost
