#include "bakkesmod/printable.h"

namespace simhost {

std::string printable(std::string_view text) {
    constexpr std::size_t shown = 60;
    std::string out = "\"";
    for (const char c : text.substr(0, shown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            constexpr char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += text.size() > shown ? "...\"" : "\"";
    return out;
}

}  // namespace simhost
