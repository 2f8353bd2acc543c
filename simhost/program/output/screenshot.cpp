#include "program/output/screenshot.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "simhost/host_error.h"
#include "simhost/services/console_names.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace simhost {

namespace {

// The canvas's pixels as PNG wants them: bytes red, green, blue, alpha.
std::vector<unsigned char> rgbaBytes(const Canvas& canvas) {
    std::vector<unsigned char> bytes;
    bytes.reserve(canvas.pixels().size() * 4);
    for (const Rgba pixel : canvas.pixels()) {
        bytes.insert(bytes.end(), {pixel.r, pixel.g, pixel.b, pixel.a});
    }
    return bytes;
}

std::vector<unsigned char> encodePng(const Canvas& canvas) {
    const std::vector<unsigned char> pixels = rgbaBytes(canvas);
    std::vector<unsigned char> png;
    const auto append = [](void* context, void* data, int size) {
        auto& out = *static_cast<std::vector<unsigned char>*>(context);
        const auto* bytes = static_cast<const unsigned char*>(data);
        out.insert(out.end(), bytes, bytes + size);
    };
    const int encoded = stbi_write_png_to_func(append, &png, canvas.width(), canvas.height(), 4,
                                               pixels.data(), canvas.width() * 4);
    if (encoded == 0) {
        throw std::bad_alloc();  // the encoder's only failure is running out of memory
    }
    return png;
}

// Writes all the bytes and closes the file; the system's reason for the first failure, if any.
std::string writeAll(const std::filesystem::path& file, const std::vector<unsigned char>& bytes) {
    errno = 0;
    std::FILE* out = std::fopen(file.string().c_str(), "wb");
    if (out == nullptr) {
        return std::strerror(errno);
    }
    errno = 0;
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
    const int writeError = errno;
    errno = 0;
    const bool closed = std::fclose(out) == 0;
    const int closeError = errno;
    if (written && closed) {
        return {};
    }
    const int why = !written ? writeError : closeError;
    return why != 0 ? std::strerror(why) : "the file could not be written in full";
}

}  // namespace

bool namesPngFile(const std::filesystem::path& file) {
    return lowered(file.extension().string()) == ".png";
}

void writeScreenshot(const Canvas& canvas, const std::filesystem::path& file) {
    if (canvas.width() == 0 || canvas.height() == 0) {
        throw HostError(file, "cannot write: the canvas is empty");
    }
    const std::string why = writeAll(file, encodePng(canvas));
    if (!why.empty()) {
        // A cut picture must not pass for one. Only a regular file goes: writing through a link
        // to a device such as /dev/full must not remove the device.
        std::error_code ignored;
        const auto written = std::filesystem::canonical(file, ignored);
        if (!written.empty() && std::filesystem::is_regular_file(written, ignored)) {
            std::filesystem::remove(written, ignored);
        }
        throw HostError(file, "cannot write: " + why);
    }
}

}  // namespace simhost
