#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace simhost {

// Names at the console are not case-sensitive: the console and its variables compare them in
// ASCII lower case, whatever the system's locale.
inline char lowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowered(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), lowerCase);
    return lower;
}

// The console's own commands. They win over a console variable of the same name, which the
// console could then not reach.
inline constexpr std::array<std::string_view, 8> kConsoleCommands{
    "help", "quit", "exit", "cvarlist", "draw", "size", "screenshot", "plugin"};

inline bool isConsoleCommand(std::string_view name) {
    const std::string lower = lowered(name);
    return std::find(kConsoleCommands.begin(), kConsoleCommands.end(), lower) !=
           kConsoleCommands.end();
}

}  // namespace simhost
