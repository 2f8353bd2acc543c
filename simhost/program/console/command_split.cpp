#include "program/console/command_split.h"

namespace simhost {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
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

bool typedAsItIs(std::string_view word) {
    return !word.empty() && word.find_first_of(" \t;\"/") == std::string_view::npos;
}

}  // namespace simhost
