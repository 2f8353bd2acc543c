#include "simhost/loading/dynamic_library.h"

#include <stdexcept>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace simhost {

namespace {

#if defined(_WIN32)
std::string lastSystemError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}
#endif

}  // namespace

DynamicLibrary::DynamicLibrary(const std::filesystem::path& file) {
    // An absolute path keeps the system loader from searching its own directories for the name.
    const std::filesystem::path absolute = std::filesystem::absolute(file);
#if defined(_WIN32)
    // Looks for the library's own imports beside it first, as a plug-in folder expects.
    handle_ = LoadLibraryExW(absolute.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle_ == nullptr) {
        throw std::runtime_error(lastSystemError());
    }
#else
    handle_ = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* said = dlerror();
        std::string why = said != nullptr ? said : "the system loader refused it";
        // The loader names the file first; whoever reports this names it already.
        const std::string named = absolute.string() + ": ";
        if (why.rfind(named, 0) == 0) {
            why.erase(0, named.size());
        }
        throw std::runtime_error(why);
    }
#endif
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary::~DynamicLibrary() {
    close();
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) {
        return nullptr;
    }
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

bool DynamicLibrary::contains(const void* address) const {
    if (handle_ == nullptr || address == nullptr) {
        return false;
    }
#if defined(_WIN32)
    HMODULE owner = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &owner) != 0 &&
           owner == static_cast<HMODULE>(handle_);
#else
    // dladdr names the object the address belongs to; the system loader's handle for that name is
    // ours exactly when it is this library.
    Dl_info found{};
    if (dladdr(address, &found) == 0 || found.dli_fname == nullptr) {
        return false;
    }
    void* owner = dlopen(found.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (owner == nullptr) {
        return false;
    }
    const bool same = owner == handle_;
    dlclose(owner);
    return same;
#endif
}

void DynamicLibrary::close() noexcept {
    if (handle_ == nullptr) {
        return;
    }
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

}  // namespace simhost
