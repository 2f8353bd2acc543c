#include "command_words.h"

#include <charconv>
#include <system_error>

namespace simhost {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// A whole decimal number, digits only, with nothing around it.
std::optional<long long> wholeNumber(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text.front() == '-' || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::vector<std::vector<std::string>> splitCommands(std::string_view line) {
    std::vector<std::vector<std::string>> commands(1);
    std::string word;
    bool inWord = false;
    bool quoted = false;
    const auto endWord = [&] {
        if (inWord) {
            commands.back().push_back(std::move(word));
            word.clear();
            inWord = false;
        }
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            inWord = true;  // "" is an empty word
        } else if (quoted) {
            word += c;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;  // the rest of the line is a comment
        } else if (c == ';') {
            endWord();
            commands.emplace_back();
        } else if (isBlank(c)) {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    std::erase_if(commands, [](const auto& command) { return command.empty(); });
    return commands;
}

std::optional<Vector2> parseCanvasSize(std::string_view text, std::string& why) {
    const auto separator = text.find_first_of("xX");
    const auto width = wholeNumber(text.substr(0, separator));
    const auto height = separator == std::string_view::npos
                            ? std::nullopt
                            : wholeNumber(text.substr(separator + 1));
    if (!width || !height) {
        why = printable(text) + " is not a size; write it as WIDTHxHEIGHT, for example 1920x1080";
        return std::nullopt;
    }
    if (*width < 1 || *height < 1 || *width > kMaxCanvasSide || *height > kMaxCanvasSide) {
        why = "size " + printable(text) + " is out of range; each side must be from 1 to " +
              std::to_string(kMaxCanvasSide);
        return std::nullopt;
    }
    return Vector2{static_cast<int>(*width), static_cast<int>(*height)};
}

std::optional<long long> parseCount(std::string_view text, long long limit, std::string& why) {
    const auto value = wholeNumber(text);
    if (!value) {
        why = printable(text) + " is not a whole number from 0 to " + std::to_string(limit);
        return std::nullopt;
    }
    if (*value > limit) {
        why = printable(text) + " is too large; at most " + std::to_string(limit);
        return std::nullopt;
    }
    return value;
}

}  // namespace simhost
