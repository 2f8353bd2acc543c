#pragma once

#include <filesystem>
#include <string>

#include "simhost/export.h"
#include "simhost/result.h"

namespace simhost {

// An open shared library (a .so or a DLL), closed when this goes.
class SIMHOST_API DynamicLibrary {
public:
    // Opens the file with every symbol resolved now; refused with the system loader's own
    // explanation, without the file's name.
    static Result<DynamicLibrary> open(const std::filesystem::path& file);

    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    ~DynamicLibrary();

    // The address of an exported symbol, or null when the library has none of that name.
    void* symbol(const char* name) const;
    // Whether the address lies in this library's mapping: its code or its data.
    bool contains(const void* address) const;
    // The system loader hands out one instance per file, however it was named: two open
    // libraries are the same when their handles are.
    bool sameAs(const DynamicLibrary& other) const { return handle_ == other.handle_; }
    // Unloads the library: its static clean-up runs now. Closing twice does nothing.
    void close() noexcept;

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}

    void* handle_ = nullptr;
};

}  // namespace simhost
