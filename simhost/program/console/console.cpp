#include "program/console/console.h"

#include <algorithm>
#include <exception>
#include <new>
#include <ostream>

#include "program/console/command_split.h"
#include "program/output/error_message.h"
#include "program/output/screenshot.h"
#include "program/output/shown_text.h"
#include "program/output/variable_problems.h"
#include "program/values/counting.h"
#include "program/values/number_parsers.h"
#include "simhost/host_error.h"
#include "simhost/loading/module_file_check.h"
#include "simhost/services/console_names.h"

namespace simhost {

namespace {

std::string describeBound(const std::optional<float>& bound) {
    return bound ? formatNumber(*bound) : "none";
}

}  // namespace

Console::Console(Host& host, std::filesystem::path module, std::ostream& messages)
    : host_(host),
      module_(std::move(module)),
      file_(std::filesystem::absolute(module_)),
      messages_(&messages) {}

HostError Console::named(const HostError& error) const {
    return error.file().empty() ? error : HostError(module_, error.cause());
}

bool Console::loadModule() {
    if (loaded_) {
        // A copy is a file of its own, which the loader would not know for the same module.
        told(HostError(module_, "is already loaded"));
        return false;
    }
    try {
        if (copies_ != nullptr) {
            // The file is looked at before it is copied, and not only the copy.
            if (const auto fit = fitForLoading(file_); !fit) {
                throw HostError(file_, fit.reason());
            }
        }
        loaded_ = host_.modules().load(copies_ != nullptr ? copies_->copyOf(file_) : file_);
        tellDefaults();
        return true;
    } catch (const HostError& error) {
        told(named(error));
        return false;
    }
}

bool Console::unloadModule() {
    if (!loaded_) {
        return true;
    }
    const ModuleId id = *loaded_;
    loaded_.reset();
    try {
        host_.modules().unload(id);
    } catch (const HostError& error) {
        told(named(error));
        return false;
    }
    return true;
}

void Console::dropModule(const std::string& why) {
    told(HostError(module_, why + "; the module is unloaded"));
    unloadModule();
}

bool Console::reload(std::ostream& told) {
    struct Restore {
        std::ostream*& messages;
        std::ostream* saved;
        ~Restore() { messages = saved; }
    } restore{messages_, messages_};
    messages_ = &told;
    return reload();
}

std::map<std::string, std::string> Console::ownVariables() const {
    std::map<std::string, std::string> own;
    if (!loaded_) {
        return own;  // not the variables no module holds: those may be another module's
    }
    for (const ConsoleVariable* variable : host_.variables().createdBy(*loaded_)) {
        own.emplace(variable->name(), variable->text());
    }
    return own;
}

void Console::tellDefaults() {
    for (const ConsoleVariable* variable : host_.variables().createdBy(*loaded_)) {
        if (const std::string problem = defaultProblem(*variable); !problem.empty()) {
            told(HostError(module_, problem + "; it holds " + variable->text()));
        }
    }
}

bool Console::reload() {
    // The values are kept; the new build's bounds may clamp them, which is told.
    const std::map<std::string, std::string> before = ownVariables();
    if (loaded_) {
        unloadModule();  // unloaded all the same when it fails; the new file may do better
    }
    if (!loadModule()) {
        return false;
    }
    *messages_ << errorMessage(shown(module_.string()) + ": loaded again") << '\n';
    for (const auto& [name, text] : ownVariables()) {
        const auto earlier = before.find(name);
        if (earlier != before.end() && earlier->second != text) {
            told(HostError(module_, printable(name) + " was " + earlier->second +
                                        "; its new bounds clamp it to " + text));
        }
    }
    return true;
}

const LoadedModule* Console::loaded() const {
    return loaded_ ? host_.modules().find(*loaded_) : nullptr;
}

Console::Ran Console::run(std::string_view line) {
    const SplitLine split = splitCommands(line);
    if (split.unclosedQuoteColumn != 0) {
        return fail("the double quote at column " + std::to_string(split.unclosedQuoteColumn) +
                    " is never closed; the line was not run");
    }
    Ran result = Ran::Done;
    for (const Words& words : split.commands) {
        const Ran outcome = execute(words);
        if (outcome == Ran::Quit) {
            return Ran::Quit;
        }
        if (outcome == Ran::Failed) {
            result = Ran::Failed;
        }
    }
    return result;
}

Console::Ran Console::execute(const Words& words) {
    // The console's own commands first: a variable cannot take their names from them.
    const std::string& command = words.front();
    const std::string name = lowered(command);
    if (name == "help") {
        return help();
    }
    if (name == "quit" || name == "exit") {
        return Ran::Quit;
    }
    if (name == "cvarlist") {
        return listVariables();
    }
    if (name == "draw") {
        return draw(words);
    }
    if (name == "size") {
        return size(words);
    }
    if (name == "screenshot") {
        return screenshot(words);
    }
    if (name == "plugin") {
        return plugin(words);
    }
    if (ConsoleVariable* found = host_.variables().find(command)) {
        return variable(*found, words);
    }
    return fail("Unknown command " + printable(command) + "; type help for the commands");
}

Console::Ran Console::help() {
    *messages_ << "NAME                 show a console variable\n"
                  "NAME VALUE           set a console variable\n"
                  "cvarlist             list the console variables\n"
                  "draw [N]             run N host draws (default 1)\n"
                  "size WxH             resize the canvas\n"
                  "screenshot FILE.png  write the canvas as a PNG picture\n"
                  "plugin unload        unload the module\n"
                  "plugin load          load the module again\n"
                  "help                 show this list\n"
                  "quit                 leave\n"
                  "Separate commands on one line with ';'. Quote values with spaces.\n"
                  "Names of commands and variables are not case-sensitive.\n"
                  "Values are plain decimal numbers: digits, one optional point, a leading '-'.\n";
    return Ran::Done;
}

Console::Ran Console::listVariables() {
    std::size_t listed = 0;
    for (const ConsoleVariable* entry : host_.variables().all()) {
        if (entry->definition().listed) {
            *messages_ << shown(entry->name()) << " = \"" << shown(entry->text()) << "\" - "
                       << shown(entry->definition().description) << '\n';
            ++listed;
        }
    }
    *messages_ << counted(listed, "console variable", "console variables") << '\n';
    return Ran::Done;
}

Console::Ran Console::variable(ConsoleVariable& entry, const Words& words) {
    const auto& definition = entry.definition();
    if (words.size() == 1) {
        *messages_ << shown(entry.name()) << " = \"" << shown(entry.text()) << "\" (default \""
                   << shown(definition.defaultValue) << "\", min "
                   << describeBound(definition.minimum) << ", max "
                   << describeBound(definition.maximum) << ") - " << shown(definition.description)
                   << '\n';
        return Ran::Done;
    }
    if (words.size() > 2) {
        return fail(shown(entry.name()) + " takes one value; quote it if it has spaces");
    }
    return set(entry, words[1]);
}

Console::Ran Console::set(ConsoleVariable& entry, const std::string& value) {
    const std::string before = entry.text();
    const ValueChange change = entry.set(value);
    if (!accepted(change)) {
        return fail(printable(value) + " " + refusalOf(change) + "; " + shown(entry.name()) +
                    " stays " + shown(before));
    }
    if (change != ValueChange::Taken) {
        *messages_ << shown(entry.name()) << ": " << printable(value) << " clamped to "
                   << shown(entry.text()) << ", the "
                   << (change == ValueChange::ClampedToMinimum ? "smallest" : "largest")
                   << " value allowed\n";
    }
    return Ran::Done;
}

Console::Ran Console::draw(const Words& words) {
    if (words.size() > 2) {
        return fail("usage: draw [N]");
    }
    long long count = 1;
    if (words.size() == 2) {
        const auto parsed = parseCount(words[1], kMaxDrawsPerCommand);
        if (!parsed) {
            return fail("draw: " + parsed.reason());
        }
        count = *parsed;
    }
    try {
        for (long long i = 0; i < count; ++i) {
            host_.draw();
        }
    } catch (...) {
        return fail("draw failed: " + describe(std::current_exception()));
    }
    return Ran::Done;
}

Console::Ran Console::size(const Words& words) {
    if (words.size() != 2) {
        const Vector2 current = host_.canvas().size();
        *messages_ << "canvas is " << canvasSizeText(current) << "; usage: size WxH\n";
        return words.size() == 1 ? Ran::Done : Ran::Failed;
    }
    const auto parsed = parseCanvasSize(words[1]);
    if (!parsed) {
        return fail("size: " + parsed.reason());
    }
    try {
        host_.canvas().resize(parsed->X, parsed->Y);
    } catch (const std::bad_alloc&) {
        return fail(canvasOutOfMemory(*parsed));
    }
    return Ran::Done;
}

Console::Ran Console::screenshot(const Words& words) {
    if (words.size() != 2) {
        return fail("usage: screenshot FILE.png");
    }
    if (!namesPngFile(words[1])) {
        return fail("screenshot: " + printable(words[1]) + " must name a .png file");
    }
    try {
        writeScreenshot(host_.canvas(), words[1]);
    } catch (const HostError& error) {
        told(error);
        return Ran::Failed;
    } catch (const std::bad_alloc&) {
        return fail("cannot write " + shown(words[1]) + ": out of memory");
    }
    *messages_ << "wrote " << shown(words[1]) << '\n';
    return Ran::Done;
}

Console::Ran Console::plugin(const Words& words) {
    const std::string action = words.size() >= 2 ? lowered(words[1]) : "";
    if ((action != "load" && action != "unload") || words.size() > 3) {
        return fail("usage: plugin load|unload [" + shown(module_.stem().string()) + "]");
    }
    if (words.size() == 3 && lowered(words[2]) != lowered(module_.stem().string())) {
        return fail("no plug-in named " + printable(words[2]) + "; this host runs only " +
                    shown(module_.stem().string()));
    }
    if (action == "load") {
        return loadModule() ? Ran::Done : Ran::Failed;
    }
    if (!loaded_) {
        return fail(shown(module_.stem().string()) + " is not loaded");
    }
    return unloadModule() ? Ran::Done : Ran::Failed;
}

void Console::told(const HostError& error) {
    *messages_ << errorMessage(error) << '\n';
}

Console::Ran Console::fail(const std::string& cause) {
    *messages_ << errorMessage(cause) << '\n';
    return Ran::Failed;
}

}  // namespace simhost
