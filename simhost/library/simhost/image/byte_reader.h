#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "simhost/export.h"
#include "simhost/result.h"

namespace simhost {

// Bytes of a module image, in memory or read from its file as asked, never past their end. Each
// read names what it reads, so that a refusal says which part of the image is out of place.
class SIMHOST_API ByteReader {
public:
    // Bytes the caller keeps alive for as long as the reader.
    explicit ByteReader(std::string_view bytes);
    // A file on disk; refused when it cannot be opened or its size cannot be read.
    static Result<ByteReader> open(const std::filesystem::path& file);

    std::uint64_t size() const { return size_; }

    // Whether `count` bytes at `offset` lie within the image, without reading them.
    Result<> within(std::uint64_t offset, std::uint64_t count, std::string_view what) const;
    // `count` bytes at `offset`.
    Result<std::string> bytes(std::uint64_t offset, std::uint64_t count,
                              std::string_view what) const;
    // An unsigned number of `width` bytes (1, 2, 4 or 8) at `offset`, in the given byte order.
    Result<std::uint64_t> number(std::uint64_t offset, int width, std::string_view what,
                                 bool bigEndian = false) const;
    // NUL-terminated text at `offset`, the NUL within the image and within `longest` bytes.
    Result<std::string> text(std::uint64_t offset, std::string_view what,
                             std::uint64_t longest = 4096) const;

private:
    ByteReader(std::shared_ptr<std::ifstream> file, std::uint64_t size);

    std::string_view memory_;
    std::shared_ptr<std::ifstream> file_;
    std::uint64_t size_ = 0;
};

// Fields read one after another from one image: the first refusal sticks, and every read after
// it gives 0, so that a parser reads a header whole and asks once whether all of it was there.
class SIMHOST_API FieldReader {
public:
    explicit FieldReader(const ByteReader& image, bool bigEndian = false)
        : image_(image), bigEndian_(bigEndian) {}

    std::uint64_t operator()(std::uint64_t offset, int width, std::string_view what);
    std::string text(std::uint64_t offset, std::string_view what);

    bool failed() const { return refusal_.has_value(); }
    Refusal refusal() const { return *refusal_; }

private:
    // The value read, or an empty one once a read has been refused (the first refusal kept).
    template <typename T>
    T kept(Result<T> read) {
        if (!read) {
            refusal_ = Refusal{read.reason()};
            return T{};
        }
        return *std::move(read);
    }

    const ByteReader& image_;
    bool bigEndian_;
    std::optional<Refusal> refusal_;
};

}  // namespace simhost
