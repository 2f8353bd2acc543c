#include <windows.h>
// After windows.h, which they need.
#include <corecrt_startup.h>
#include <stdlib.h>

#include <clocale>

#include "program/process/command_line_words.h"

namespace simhost {

namespace {

std::string utf8(const wchar_t* wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    return text;
}

}  // namespace

std::vector<std::string> commandLineWords(int argc, char** argv) {
    // The standard library turns narrow file names into wide ones by this code page.
    std::setlocale(LC_CTYPE, ".UTF8");
    // The C runtime splits the wide command line as it split the narrow one.
    if (_configure_wide_argv(_crt_argv_unexpanded_arguments) != 0 || __wargv == nullptr) {
        return {argv + 1, argv + argc};
    }
    std::vector<std::string> words;
    for (int i = 1; i < __argc; ++i) {
        words.push_back(utf8(__wargv[i]));
    }
    return words;
}

}  // namespace simhost
