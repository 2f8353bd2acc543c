#include "command_words.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace simhost {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool digitsOnly(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole decimal number, digits only, with nothing around it; the largest value for digits too
// many for any count.
std::optional<long long> wholeNumber(std::string_view text) {
    if (!digitsOnly(text)) {
        return std::nullopt;
    }
    long long value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc::result_out_of_range ? std::numeric_limits<long long>::max() : value;
}

}  // namespace

SplitLine splitCommands(std::string_view line) {
    SplitLine split;
    auto& commands = split.commands;
    std::vector<std::string> command;
    std::string word;
    bool inWord = false;
    std::size_t quoteColumn = 0;  // of the open quote, while one is open
    const auto endWord = [&] {
        if (inWord) {
            command.push_back(std::move(word));
            word.clear();
            inWord = false;
        }
    };
    // An empty command (";;") costs nothing: only a command with words is kept.
    const auto endCommand = [&] {
        endWord();
        if (!command.empty()) {
            commands.push_back(std::move(command));
            command.clear();
        }
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool quoted = quoteColumn != 0;
        if (c == '"') {
            quoteColumn = quoted ? 0 : i + 1;
            inWord = true;  // "" is an empty word
        } else if (quoted) {
            word += c;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;  // the rest of the line is a comment
        } else if (c == ';') {
            endCommand();
        } else if (isBlank(c)) {
            endWord();
        } else {
            word += c;
            inWord = true;
        }
    }
    endCommand();
    if (quoteColumn != 0) {
        return {{}, quoteColumn};
    }
    return split;
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
    const std::string range = "from 0 to " + std::to_string(limit);
    if (!value) {
        why = printable(text) + " is not a whole number " + range;
        return std::nullopt;
    }
    if (*value > limit) {
        why = printable(text) + " is out of range; it must be " + range;
        return std::nullopt;
    }
    return value;
}

}  // namespace simhost
