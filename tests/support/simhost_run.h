#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One run of the simhost program, in this process, with its input and what it wrote.
struct SimhostRun {
    int status = -1;
    std::string out;
    std::string err;
};

SimhostRun runSimhost(const std::vector<std::string>& arguments, const std::string& input = "");

// A file's bytes, as they are on disk; empty for a file that cannot be read.
std::string fileBytes(const std::filesystem::path& file);

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
