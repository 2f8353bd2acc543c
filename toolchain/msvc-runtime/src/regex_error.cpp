// std::regex's way of throwing regex_error. The real msvcp140 has it; Wine's has only a stub that
// ends the program, so programs tested under Wine carry their own.
#include <regex>

[[noreturn]] void __cdecl std::_Xregex_error(regex_constants::error_type code) {
    throw regex_error(code);
}
