#include "simhost/image/byte_reader.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace simhost {

ByteReader::ByteReader(std::string_view bytes) : memory_(bytes), size_(bytes.size()) {}

ByteReader::ByteReader(std::shared_ptr<std::ifstream> file, std::uint64_t size)
    : file_(std::move(file)), size_(size) {}

Result<ByteReader> ByteReader::open(const std::filesystem::path& file) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(file, error);
    auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
    if (error || !in->is_open()) {
        return refuse("cannot be read");
    }
    return ByteReader(std::move(in), size);
}

Result<> ByteReader::within(std::uint64_t offset, std::uint64_t count,
                            std::string_view what) const {
    if (offset > size_ || count > size_ - offset) {
        return refuse(std::string(what) + " reaches past the end of the file (" +
                      std::to_string(count) + " bytes at " + std::to_string(offset) + " of " +
                      std::to_string(size_) + ")");
    }
    return {};
}

Result<std::string> ByteReader::bytes(std::uint64_t offset, std::uint64_t count,
                                      std::string_view what) const {
    if (auto fits = within(offset, count, what); !fits) {
        return Refusal{fits.reason()};
    }
    if (file_ == nullptr) {
        return std::string(memory_.substr(offset, count));
    }
    std::string read(count, '\0');
    file_->clear();
    file_->seekg(static_cast<std::streamoff>(offset));
    if (!file_->read(read.data(), static_cast<std::streamsize>(count))) {
        return refuse(std::string(what) + " cannot be read");
    }
    return read;
}

Result<std::uint64_t> ByteReader::number(std::uint64_t offset, int width, std::string_view what,
                                         bool bigEndian) const {
    const auto read = bytes(offset, static_cast<std::uint64_t>(width), what);
    if (!read) {
        return Refusal{read.reason()};
    }
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int at = bigEndian ? i : width - 1 - i;
        value = (value << 8) | static_cast<unsigned char>((*read)[static_cast<std::size_t>(at)]);
    }
    return value;
}

Result<std::string> ByteReader::text(std::uint64_t offset, std::string_view what,
                                     std::uint64_t longest) const {
    const std::uint64_t available = offset < size_ ? std::min(size_ - offset, longest + 1) : 0;
    auto read = bytes(offset, available == 0 ? 1 : available, what);
    if (!read) {
        return read;
    }
    const auto end = read->find('\0');
    if (end == std::string::npos) {
        return refuse(std::string(what) + " has no end within " + std::to_string(longest) +
                      " bytes or the file");
    }
    return read->substr(0, end);
}

std::uint64_t FieldReader::operator()(std::uint64_t offset, int width, std::string_view what) {
    return kept(refusal_ ? Result<std::uint64_t>(0)
                         : image_.number(offset, width, what, bigEndian_));
}

std::string FieldReader::text(std::uint64_t offset, std::string_view what) {
    return kept(refusal_ ? Result<std::string>("") : image_.text(offset, what));
}

}  // namespace simhost
