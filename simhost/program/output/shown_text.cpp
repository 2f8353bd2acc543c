#include "program/output/shown_text.h"

namespace simhost {

namespace {

void escapeByte(std::string& out, unsigned char byte) {
    constexpr char hex[] = "0123456789abcdef";
    out += "\\x";
    out += hex[byte >> 4];
    out += hex[byte & 0xF];
}

// Length of the well-formed UTF-8 sequence at the start of `text` that is no control character
// (C0, DEL or C1), or 0 when its first byte has to be escaped.
std::size_t printableSequence(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return lead < 0x20 || lead == 0x7F ? 0 : 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range the second byte must lie in
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    // U+0080 to U+009F are control characters too (C1): some terminals obey them.
    return lead == 0xC2 && byte(1) <= 0x9F ? 0 : length;
}

}  // namespace

std::string shown(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = printableSequence(text);
        if (length == 0) {
            escapeByte(out, static_cast<unsigned char>(text.front()));
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

std::string printable(std::string_view text) {
    constexpr std::size_t kShown = 60;
    std::string out = "\"";
    out += shown(text.substr(0, kShown));
    out += text.size() > kShown ? "...\"" : "\"";
    return out;
}

std::string oneLine(std::string_view text, std::size_t longest) {
    std::string out = shown(text.substr(0, longest));
    if (out.size() <= longest && text.size() <= longest) {
        return out;
    }
    constexpr std::string_view kCut = "...";
    std::size_t end = longest - kCut.size();
    // Not inside a character, nor inside an escape.
    while (end > 0 && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) {
        --end;
    }
    if (const auto escape = out.rfind('\\', end); escape != std::string::npos && end - escape < 4) {
        end = escape;
    }
    out.resize(end);
    return out + std::string(kCut);
}

}  // namespace simhost
