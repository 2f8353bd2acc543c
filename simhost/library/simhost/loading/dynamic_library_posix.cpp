#include <dlfcn.h>

#include "simhost/loading/dynamic_library.h"

namespace simhost {

Result<DynamicLibrary> DynamicLibrary::open(const std::filesystem::path& file) {
    // An absolute path keeps the system loader from searching its own directories for the name.
    const std::filesystem::path absolute = std::filesystem::absolute(file);
    void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* said = dlerror();
        std::string why = said != nullptr ? said : "the system loader refused it";
        // The loader names the file first; whoever reports this names it already.
        const std::string named = absolute.string() + ": ";
        if (why.rfind(named, 0) == 0) {
            why.erase(0, named.size());
        }
        return refuse(why);
    }
    return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

bool DynamicLibrary::contains(const void* address) const {
    if (handle_ == nullptr || address == nullptr) {
        return false;
    }
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
}

void DynamicLibrary::close() noexcept {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

}  // namespace simhost
