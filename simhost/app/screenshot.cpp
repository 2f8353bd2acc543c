#include "screenshot.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "bakkesmod/host_error.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace simhost {

void writeScreenshot(const Canvas& canvas, const std::filesystem::path& file) {
    const std::string name = file.string();
    if (canvas.width() == 0 || canvas.height() == 0) {
        throw HostError("cannot write " + name + ": the canvas is empty");
    }
    static_assert(sizeof(Rgba) == 4);
    errno = 0;
    const int written =
        stbi_write_png(name.c_str(), canvas.width(), canvas.height(), 4, canvas.pixels().data(),
                       canvas.width() * static_cast<int>(sizeof(Rgba)));
    if (written == 0) {
        const int why = errno;
        throw HostError("cannot write " + name + ": " +
                        (why != 0 ? std::strerror(why) : "the PNG encoder failed"));
    }
}

}  // namespace simhost
