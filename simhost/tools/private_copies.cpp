#include "tools/private_copies.h"

#include <string>
#include <system_error>

#include "simhost/host_error.h"

namespace simhost {

std::filesystem::path PrivateCopies::copyOf(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (!error && size > kLargestModule) {
        constexpr std::uintmax_t kMiB = std::uintmax_t{1} << 20;
        throw HostError(file, "cannot copy it for loading: it is " +
                                  std::to_string((size + kMiB - 1) / kMiB) +
                                  " MiB, more than any plug-in module (" +
                                  std::to_string(kLargestModule / kMiB) + " MiB at most)");
    }
    // A file that cannot be measured is the platform's copy to fail, with its own reason.
    return copyWithin(file);
}

}  // namespace simhost
