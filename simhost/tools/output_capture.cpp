#include "tools/output_capture.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/descriptors.h"

namespace simhost {

// The standard streams' descriptors as they were, and the file that stands in for both.
struct OutputCapture::Streams {
    int output = -1;
    int error = -1;
    std::FILE* file = nullptr;
};

namespace {

void flushAll() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
}

// Everything the file holds, from its start.
std::string contents(std::FILE* file) {
    std::string all;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        all.append(buffer, read);
    }
    return all;
}

}  // namespace

OutputCapture::OutputCapture() : streams_(std::make_unique<Streams>()) {
    flushAll();
    streams_->file = std::tmpfile();
    streams_->output = descriptors::duplicate(descriptors::kOutput);
    streams_->error = descriptors::duplicate(descriptors::kError);
    if (streams_->file == nullptr || streams_->output < 0 || streams_->error < 0 ||
        !descriptors::redirect(descriptors::of(streams_->file), descriptors::kOutput) ||
        !descriptors::redirect(descriptors::of(streams_->file), descriptors::kError)) {
        restore();
    }
}

OutputCapture::~OutputCapture() {
    restore();
}

void OutputCapture::restore() noexcept {
    if (!streams_) {
        return;
    }
    flushAll();
    if (streams_->output >= 0) {
        descriptors::redirect(streams_->output, descriptors::kOutput);
        descriptors::close(streams_->output);
    }
    if (streams_->error >= 0) {
        descriptors::redirect(streams_->error, descriptors::kError);
        descriptors::close(streams_->error);
    }
    if (streams_->file != nullptr) {
        // Where it was going; which of the two streams a line took is not kept.
        const std::string all = contents(streams_->file);
        for (std::size_t done = 0; done < all.size();) {
            const long long wrote =
                descriptors::write(descriptors::kError, all.data() + done, all.size() - done);
            if (wrote <= 0) {
                break;
            }
            done += static_cast<std::size_t>(wrote);
        }
        std::fclose(streams_->file);
    }
    streams_.reset();
}

long long OutputCapture::lines() {
    if (!streams_) {
        return -1;
    }
    flushAll();
    const std::string all = contents(streams_->file);
    std::fseek(streams_->file, 0, SEEK_END);
    const auto ends = std::count(all.begin(), all.end(), '\n');
    return static_cast<long long>(ends) + (!all.empty() && all.back() != '\n' ? 1 : 0);
}

}  // namespace simhost
