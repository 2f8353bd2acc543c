// Hostile console input: any bytes through the command splitter, the size and count parsers and
// the variable setter. Each must answer, and leave every variable valid.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "program/console/command_split.h"
#include "program/console/console.h"
#include "program/values/number_parsers.h"
#include "simhost/services/canvas.h"
#include "simhost/services/console_variable.h"

namespace {

void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Whatever was typed, the variable holds a finite number within its bounds, its text reads back
// as that number, and the bound boolean follows it.
void checkSetter(std::string_view input, std::optional<float> minimum,
                 std::optional<float> maximum) {
    simhost::ConsoleVariable variable({"fuzz", "1", "", true, minimum, maximum, false}, 1);
    auto flag = std::make_shared<bool>(false);
    variable.bind(1, flag);
    const std::string before = variable.text();
    if (!simhost::accepted(variable.set(input))) {
        require(variable.text() == before);
    }
    const float number = variable.number();
    require(std::isfinite(number));
    require(!minimum || number >= *minimum);
    require(!maximum || number <= *maximum);
    require(*flag == (number != 0.0f));

    simhost::ConsoleVariable reread({"again", "0", "", true, minimum, maximum, false}, 1);
    require(simhost::accepted(reread.set(variable.text())));
    require(reread.number() == number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const simhost::SplitLine split = simhost::splitCommands(input);
    require(split.unclosedQuoteColumn <= input.size());
    require(split.unclosedQuoteColumn == 0 || split.commands.empty());
    for (const auto& command : split.commands) {
        require(!command.empty());
    }

    if (const auto canvas = simhost::parseCanvasSize(input)) {
        require(canvas->X >= 1 && canvas->X <= simhost::Canvas::kMaxSide);
        require(canvas->Y >= 1 && canvas->Y <= simhost::Canvas::kMaxSide);
    } else {
        require(!canvas.reason().empty());
    }
    constexpr long long kLimit = simhost::Console::kMaxDrawsPerCommand;
    if (const auto count = simhost::parseCount(input, kLimit)) {
        require(*count >= 0 && *count <= kLimit);
    } else {
        require(!count.reason().empty());
    }

    checkSetter(input, 0.0f, 1.0f);
    checkSetter(input, std::nullopt, std::nullopt);
    return 0;
}
