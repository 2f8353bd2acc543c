#include <windows.h>

#include <string>
#include "simhost/host_error.h"

#include "program/process/this_program.h"

namespace simhost {

std::filesystem::path thisProgram() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            throw HostError("cannot find this program to start it again");
        }
        if (length < name.size()) {
            name.resize(length);
            return name;
        }
        name.resize(name.size() * 2);
    }
}

}  // namespace simhost
