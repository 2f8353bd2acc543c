#include <windows.h>

#include "simhost/loading/dynamic_library.h"

namespace simhost {

namespace {

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

}  // namespace

Result<DynamicLibrary> DynamicLibrary::open(const std::filesystem::path& file) {
    // An absolute path keeps the system loader from searching its own directories for the name;
    // the library's own imports are looked for beside it first, as a plug-in folder expects.
    const std::filesystem::path absolute = std::filesystem::absolute(file);
    HMODULE handle = LoadLibraryExW(absolute.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle == nullptr) {
        return refuse(lastSystemError());
    }
    return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ == nullptr
               ? nullptr
               : reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

bool DynamicLibrary::contains(const void* address) const {
    if (handle_ == nullptr || address == nullptr) {
        return false;
    }
    HMODULE owner = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &owner) != 0 &&
           owner == static_cast<HMODULE>(handle_);
}

void DynamicLibrary::close() noexcept {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

}  // namespace simhost
