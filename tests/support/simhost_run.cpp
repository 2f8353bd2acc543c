#include "simhost_run.h"

#include <random>
#include <sstream>
#include <stdexcept>

#include "program.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>

SimhostRun runSimhost(const std::vector<std::string>& arguments, const std::string& input) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    SimhostRun run;
    run.status = simhost::runSimhost(arguments, in, out, err, false);
    run.out = out.str();
    run.err = err.str();
    return run;
}

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

ScratchDirectory::ScratchDirectory() {
    // Test processes run side by side: a random name, and another one if it is taken.
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / ("simhost-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
