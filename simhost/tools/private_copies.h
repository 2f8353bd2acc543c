#pragma once

#include <filesystem>

namespace simhost {

// Copies of a module file for the host to load in its place, so that the file can be rebuilt
// while its module is loaded: rewriting a mapped module in place would change its code under the
// running host, and Windows refuses to overwrite a loaded DLL at all. The copies live in a
// folder of their own, removed with this object. A copy imports what its original imports, from
// where the original sits: see importsBeside().
class PrivateCopies {
public:
    // Makes the folder in the system's temporary directory. Throws HostError.
    PrivateCopies();
    PrivateCopies(const PrivateCopies&) = delete;
    PrivateCopies& operator=(const PrivateCopies&) = delete;
    ~PrivateCopies();

    // A fresh copy of the file under the file's own name, in a new subfolder; the previous
    // copy's subfolder goes, so it must be unloaded first. Throws HostError about `file`.
    std::filesystem::path copyOf(const std::filesystem::path& file);

    // Removes the folder and every copy in it now; a copy still mapped stays where the system
    // will not let it go.
    void removeAll() noexcept;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path previous_;
    unsigned copies_ = 0;
};

}  // namespace simhost
