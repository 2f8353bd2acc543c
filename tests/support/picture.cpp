#include "picture.h"

#include <stdexcept>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

Picture readPng(const std::filesystem::path& file) {
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* data = stbi_load(file.string().c_str(), &width, &height, &channels, 4);
    if (data == nullptr) {
        throw std::runtime_error("cannot read " + file.string() + ": " + stbi_failure_reason());
    }
    Picture picture{width, height, {}};
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const stbi_uc* p = data + 4 * i;
        picture.pixels[i] = {p[0], p[1], p[2], p[3]};
    }
    stbi_image_free(data);
    return picture;
}

long long misplacedPixels(const Picture& picture, bool covered) {
    constexpr simhost::Rgba kOpaqueBlack{0, 0, 0, 255};
    const long long w = picture.width;
    const long long h = picture.height;
    long long wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool inBand = covered && x >= 2 * w / 5 && x < 3 * w / 5 && y < 17 * h / 200;
            wrong += (picture.at(x, y) == kOpaqueBlack) != inBand ? 1 : 0;
        }
    }
    return wrong;
}
