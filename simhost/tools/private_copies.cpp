#include "tools/private_copies.h"

#include <random>
#include <string>
#include <system_error>

#include "simhost/host_error.h"

namespace simhost {

PrivateCopies::PrivateCopies() {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error) {
        throw HostError("cannot find the temporary directory: " + error.message());
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path folder =
            temporary / ("simhost-" + std::to_string(random()) + std::to_string(random()));
        if (std::filesystem::create_directory(folder, error)) {
            folder_ = folder;
            return;
        }
        if (error) {
            throw HostError(folder, "cannot make a folder for module copies: " + error.message());
        }
    }
    throw HostError(temporary, "cannot make a folder for module copies: every name tried is taken");
}

PrivateCopies::~PrivateCopies() {
    removeAll();
}

void PrivateCopies::removeAll() noexcept {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path PrivateCopies::copyOf(const std::filesystem::path& file) {
    const std::filesystem::path subfolder = folder_ / std::to_string(++copies_);
    const std::filesystem::path copy = subfolder / file.filename();
    std::error_code error;
    std::filesystem::create_directory(subfolder, error);
    if (!error) {
        std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing,
                                   error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove_all(subfolder, ignored);
        throw HostError(file, "cannot copy it for loading: " + error.message());
    }
    if (!previous_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(previous_, ignored);
    }
    previous_ = subfolder;
    return copy;
}

}  // namespace simhost
