#include "simhost_run.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "program/cli/program.h"

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

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
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
