#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "program/check/child/child_process.h"
#include "simhost/host_error.h"

// The child's side of a check: its call report channel and the token it signs its result with.
namespace simhost::check {

namespace {

// A crash ends the child with the exception's code, without a debugger or a dialog to wait on.
LONG WINAPI endWithTheCode(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

ReportChannel::ReportChannel(const std::string& named) : channel_(0) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(named.c_str(), &end, 10);
    const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
    DWORD flags = 0;
    if (named.empty() || *end != '\0' || !GetHandleInformation(handle, &flags)) {
        throw HostError("no call report channel at " + named);
    }
    // Not inherited by programs the plug-in runs.
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    channel_ = static_cast<std::intptr_t>(value);
}

ReportChannel::~ReportChannel() {
    CloseHandle(reinterpret_cast<HANDLE>(channel_));
}

bool ReportChannel::write(std::string_view line) noexcept {
    DWORD written = 0;
    return WriteFile(reinterpret_cast<HANDLE>(channel_), line.data(),
                     static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

std::string takeToken() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string token;
    char c = 0;
    DWORD got = 0;
    while (token.size() < 64 && ReadFile(input, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
        token += c;
    }
    // Nothing more to read, for the plug-in either: the runtime closes the pipe and points the
    // process's standard input at the null device too.
    std::freopen("NUL", "r", stdin);
    return token;
}

void prepareChild() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endWithTheCode);
}

}  // namespace simhost::check
