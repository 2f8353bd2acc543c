#include "program/check/isolation.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;
#endif

namespace simhost::check {

namespace {

constexpr std::string_view kResultMark = "simhost-check-result ";

// What a child that ended without a result said last on its way out, for the reason.
std::string lastWords(const std::string& output) {
    std::istringstream lines(output);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.rfind(kResultMark, 0) != 0) {
            last = line;
        }
    }
    return last.empty() ? "" : " (" + last + ")";
}

// The outcome the child wrote, if it wrote one.
std::optional<Outcome> resultIn(const std::string& output) {
    std::istringstream lines(output);
    std::string line;
    std::optional<Outcome> outcome;
    while (std::getline(lines, line)) {
        if (line.rfind(kResultMark, 0) != 0) {
            continue;
        }
        const auto json = nlohmann::json::parse(line.substr(kResultMark.size()), nullptr, false);
        if (json.is_discarded()) {
            continue;
        }
        Outcome found;
        found.verdict = verdictNamed(json.value("verdict", "fail"));
        found.reason = json.value("reason", "");
        found.milliseconds = json.value("milliseconds", 0.0);
        outcome = found;
    }
    return outcome;
}

std::vector<std::string> childArguments(const Check& check, const Settings& settings) {
    return {"check",
            std::string(kRunOne),
            check.id,
            "--cycles",
            std::to_string(settings.cycles),
            settings.module.string()};
}

#if defined(_WIN32)

std::wstring wide(const std::string& text) {
    return std::filesystem::path(text).wstring();
}

// One argument quoted as the C runtime splits a command line.
std::wstring quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
            backslashes = 0;
        }
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

struct Ended {
    bool timedOut = false;
    bool crashed = false;
    unsigned long code = 0;
    std::string output;
};

Ended runChild(const std::vector<std::string>& arguments, double timeoutSeconds) {
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring commandLine = quoted(self);
    for (const std::string& argument : arguments) {
        commandLine += L" " + quoted(wide(argument));
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        throw std::runtime_error("cannot make a pipe to a child");
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        CloseHandle(readEnd);
        CloseHandle(writeEnd);
        throw std::runtime_error("cannot start a child to run the check in");
    }
    CloseHandle(writeEnd);
    CloseHandle(process.hThread);

    Ended ended;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    char buffer[4096];
    while (true) {
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD got = 0;
            if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) || got == 0) {
                break;
            }
            ended.output.append(buffer, got);
        }
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            ended.timedOut = true;
            break;
        }
    }
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        ended.output.append(buffer, got);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    ended.code = code;
    ended.crashed = code >= 0xC0000000UL;
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return ended;
}

std::string crashText(unsigned long code) {
    char text[64];
    std::snprintf(text, sizeof text, "crashed with exception 0x%08lX%s", code,
                  code == 0xC0000005UL ? " (access violation)" : "");
    return text;
}

// A crash ends the child with the exception's code, without a debugger or a dialog to wait on.
LONG WINAPI endWithTheCode(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void prepareChild() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endWithTheCode);
}

#else

struct Ended {
    bool timedOut = false;
    bool crashed = false;
    int code = 0;  // the signal when crashed, else the exit status
    std::string output;
};

Ended runChild(const std::vector<std::string>& arguments, double timeoutSeconds) {
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        throw std::runtime_error("cannot find this program to start a child");
    }
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    std::vector<std::string> all{self};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        throw std::runtime_error(std::string("cannot start a child: ") + std::strerror(spawned));
    }

    Ended ended;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    char buffer[4096];
    bool open = true;
    while (open) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            ended.timedOut = true;
            break;
        }
        pollfd waiting{pipeEnds[0], POLLIN, 0};
        if (poll(&waiting, 1, static_cast<int>(left)) > 0) {
            const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
            if (got > 0) {
                ended.output.append(buffer, static_cast<std::size_t>(got));
            } else {
                open = false;  // the child and everything it started closed the pipe
            }
        }
    }
    close(pipeEnds[0]);
    if (ended.timedOut) {
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!ended.timedOut && WIFSIGNALED(status)) {
        ended.crashed = true;
        ended.code = WTERMSIG(status);
    } else if (WIFEXITED(status)) {
        ended.code = WEXITSTATUS(status);
    }
    return ended;
}

std::string crashText(int signal) {
    const char* name = sigabbrev_np(signal);
    return "crashed with signal " + std::to_string(signal) +
           (name != nullptr ? std::string(" (SIG") + name + ")" : "");
}

void prepareChild() {}

#endif

}  // namespace

Outcome runIsolated(const Check& check, const Settings& settings, double timeoutSeconds) {
    const auto start = std::chrono::steady_clock::now();
    const Ended ended = runChild(childArguments(check, settings), timeoutSeconds);
    const double elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ended.timedOut) {
        return {Verdict::Fail,
                "timed out after " + std::to_string(static_cast<int>(timeoutSeconds)) + " s",
                elapsed};
    }
    if (auto outcome = resultIn(ended.output); outcome && !ended.crashed) {
        return *outcome;
    }
    if (ended.crashed) {
        return {Verdict::Fail, crashText(ended.code) + lastWords(ended.output), elapsed};
    }
    return {Verdict::Fail,
            "ended with status " + std::to_string(ended.code) + " and no result" +
                lastWords(ended.output),
            elapsed};
}

int runOneForParent(const Check& check, const Settings& settings) {
    prepareChild();
    const Outcome outcome = runCheck(check, settings);
    const nlohmann::json result{{"verdict", verdictName(outcome.verdict)},
                                {"reason", outcome.reason},
                                {"milliseconds", outcome.milliseconds}};
    std::cout << kResultMark
              << result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
    return 0;
}

}  // namespace simhost::check
