#include <system_error>
#include "simhost/host_error.h"

#include "program/process/this_program.h"

namespace simhost {

std::filesystem::path thisProgram() {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw HostError("cannot find this program to start it again: " + error.message());
    }
    return self;
}

}  // namespace simhost
