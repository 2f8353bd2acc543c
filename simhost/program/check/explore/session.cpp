#include "program/check/explore/session.h"

#include <algorithm>
#include <array>
#include <utility>

#include "program/console/command_split.h"
#include "program/output/shown_text.h"
#include "program/values/number_parsers.h"

namespace simhost::check {

namespace {

constexpr std::array kKindWords{"load", "unload", "unload early", "unload keep", "draw", "set"};

// A word as the console reads it back: quoted when it is empty or holds a separator.
std::string word(const std::string& text) {
    return typedAsItIs(text) ? text : "\"" + text + "\"";
}

Result<Step> stepIn(const std::vector<std::string>& words) {
    const std::string& verb = words.front();
    if (verb == "load" && words.size() == 1) {
        return Step{Step::Kind::Load, {}, {}, {}};
    }
    if (verb == "unload" && words.size() <= 2) {
        if (words.size() == 1) {
            return Step{Step::Kind::Unload, {}, {}, {}};
        }
        if (words[1] == "early" || words[1] == "keep") {
            return Step{
                words[1] == "early" ? Step::Kind::UnloadEarly : Step::Kind::UnloadKeep, {}, {}, {}};
        }
    }
    if (verb == "draw" && words.size() == 2) {
        // A drawable meets a canvas of no pixels too.
        auto size = parseCanvasSize(words[1], 0);
        if (!size) {
            return Refusal{size.reason()};
        }
        return Step{Step::Kind::Draw, *size, {}, {}};
    }
    if (verb == "set" && (words.size() == 2 || words.size() == 3)) {
        // A quoted empty text is no word to the console: a set with one word sets "".
        return Step{Step::Kind::Set, {}, words[1], words.size() == 3 ? words[2] : ""};
    }
    return refuse("no step reads " + printable(verb) +
                  " so; the steps are load, unload [early|keep], draw WxH and set NAME TEXT");
}

}  // namespace

std::string stepText(const Step& step) {
    std::string text = kKindWords.at(static_cast<std::size_t>(step.kind));
    if (step.kind == Step::Kind::Draw) {
        text.append(" ").append(canvasSizeText(step.size));
    } else if (step.kind == Step::Kind::Set) {
        text.append(" ").append(word(step.name)).append(" ").append(word(step.text));
    }
    return text;
}

std::string sessionText(const Session& session) {
    std::string text;
    for (const Step& step : session) {
        text += (text.empty() ? "" : "; ") + stepText(step);
    }
    return text;
}

Result<Session> parseSession(std::string_view text) {
    const SplitLine split = splitCommands(text);
    if (split.unclosedQuoteColumn != 0) {
        return refuse("the double quote at column " + std::to_string(split.unclosedQuoteColumn) +
                      " is never closed");
    }
    if (split.commands.empty()) {
        return refuse("no steps given");
    }
    if (split.commands.size() > static_cast<std::size_t>(kMostSteps)) {
        return refuse("more than " + std::to_string(kMostSteps) + " steps");
    }
    Session session;
    for (const auto& words : split.commands) {
        auto step = stepIn(words);
        if (!step) {
            return refuse("step " + std::to_string(session.size() + 1) + ": " + step.reason());
        }
        session.push_back(*std::move(step));
    }
    return session;
}

}  // namespace simhost::check
