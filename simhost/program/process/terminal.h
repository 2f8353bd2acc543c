#pragma once

namespace simhost {

// Whether standard input is a terminal, where a person types and a prompt helps.
bool inputIsTerminal();

}  // namespace simhost
