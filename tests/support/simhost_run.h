#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "bakkesmod/canvas.h"

// One run of the simhost program, in this process, with its input and what it wrote.
struct SimhostRun {
    int status = -1;
    std::string out;
    std::string err;
};

SimhostRun runSimhost(const std::vector<std::string>& arguments, const std::string& input = "");

// A PNG file read back as RGBA pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<simhost::Rgba> pixels;
    simhost::Rgba at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Throws std::runtime_error when the file is no readable PNG.
Picture readPng(const std::filesystem::path& file);

// A fresh directory for one test's files, removed when it goes.
class ScratchDirectory {
public:
    ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};
