#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

namespace simhost {

// Copies of a module file for the host to load in its place, so that the file can be rebuilt
// while its module is loaded: rewriting a mapped module in place would change its code under the
// running host, and Windows refuses to overwrite a loaded DLL at all. Whatever ends the session,
// nothing of a copy is left behind for long:
// - on Linux a copy is a file in memory (memfd), loaded through /proc/self/fd, never on disk;
// - on Windows the copies live in a folder named for the session's process, removed with this
//   object; a session that could not remove its folder (it was killed, or a copy was still
//   mapped) leaves it to the next session, which removes the folders of sessions that are gone.
// A copy imports what its original imports, from where the original sits: see importsBeside().
class PrivateCopies {
public:
    // Throws HostError when there is nowhere to keep copies.
    PrivateCopies();
    PrivateCopies(const PrivateCopies&) = delete;
    PrivateCopies& operator=(const PrivateCopies&) = delete;
    ~PrivateCopies();

    // No real plug-in module comes near this: a larger file (a sparse one, say) is refused
    // rather than copied into memory or onto the disk whole.
    static constexpr std::uintmax_t kLargestModule = std::uintmax_t{256} << 20;

    // A fresh copy of the file, under the file's own name, to load by the path returned; the
    // previous copy goes, so it must be unloaded first. Throws HostError about `file`.
    std::filesystem::path copyOf(const std::filesystem::path& file);

    // Removes every copy now; a copy still mapped stays where the system will not let it go.
    void removeAll() noexcept;

private:
    // The platform's own copy, of a file of a size a module may have.
    std::filesystem::path copyWithin(const std::filesystem::path& file);

    // What each platform keeps of its copies.
    struct Held;
    std::unique_ptr<Held> held_;
};

}  // namespace simhost
