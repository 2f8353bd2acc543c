#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include "simhost/host_error.h"

#include "program/check/child_output.h"
#include "program/check/child_process.h"
#include "program/process/this_program.h"

namespace simhost::check {

namespace {

// How often the parent looks whether the child has ended while it writes nothing.
constexpr DWORD kLookEveryMs = 2;

[[noreturn]] void failed(const std::string& what) {
    throw HostError(what + " (error " + std::to_string(GetLastError()) + ")");
}

// A handle, closed when this goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    void reset(HANDLE handle = nullptr) {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }
    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }

private:
    HANDLE handle_ = nullptr;
};

// A pipe whose child end is inherited and whose parent end is not.
struct Pipe {
    explicit Pipe(bool childReads) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        if (!CreatePipe(read.out(), write.out(), &inherit, 0)) {
            failed("cannot make a pipe to a child");
        }
        SetHandleInformation(childReads ? write.get() : read.get(), HANDLE_FLAG_INHERIT, 0);
    }
    Handle read;
    Handle write;
};

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

// Takes what waits in the pipe without blocking; false once the pipe has ended.
bool take(HANDLE pipe, KeptText& text) {
    char buffer[16384];
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            return false;
        }
        if (available == 0) {
            return true;
        }
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) {
            return false;
        }
        text.add(buffer, got);
    }
}

// Processes of the job still running.
DWORD running(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr)) {
        return 0;
    }
    return accounting.ActiveProcesses;
}

// A crash ends the child with the exception's code, without a debugger or a dialog to wait on.
LONG WINAPI endWithTheCode(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

ChildEnd runChild(const ChildArguments& arguments, std::string_view token,
                  std::chrono::duration<double> timeout) {
    const std::wstring self = thisProgram().wstring();
    Pipe input(true);
    Pipe output(false);
    Pipe report(false);
    // The token waits in the pipe before the child exists, so that writing it cannot fail.
    const std::string tokenLine = std::string(token) + "\n";
    DWORD written = 0;
    if (!WriteFile(input.write.get(), tokenLine.data(), static_cast<DWORD>(tokenLine.size()),
                   &written, nullptr)) {
        failed("cannot hand a child its token");
    }
    input.write.reset();

    const std::string channel =
        std::to_string(reinterpret_cast<std::uintptr_t>(report.write.get()));
    std::wstring commandLine = quoted(self);
    for (const std::string& argument : arguments(channel)) {
        commandLine += L" " + quoted(std::filesystem::path(argument).wstring());
    }

    // Whatever the child starts is in its job, and ends with it.
    Handle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job.get() == nullptr ||
        !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        failed("cannot make a job for a child");
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.read.get();
    startup.hStdOutput = output.write.get();
    startup.hStdError = output.write.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
        failed("cannot start a child to run the check in");
    }
    Handle process(started.hProcess);
    Handle thread(started.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        TerminateProcess(process.get(), 1);
        failed("cannot put a child in its job");
    }
    ResumeThread(thread.get());
    input.read.reset();
    output.write.reset();
    report.write.reset();

    ChildEnd end;
    KeptText said(kOutputKept, KeptText::Keep::End);
    KeptText reported(kReportKept, KeptText::Keep::Beginning);
    bool saidOpen = true;
    bool reportOpen = true;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(timeout);
    for (;;) {
        saidOpen = saidOpen && take(output.read.get(), said);
        reportOpen = reportOpen && take(report.read.get(), reported);
        if (WaitForSingleObject(process.get(), kLookEveryMs) == WAIT_OBJECT_0) {
            break;
        }
        if (const auto stop = cutShort(deadline)) {
            end.how = *stop;
            break;
        }
    }
    if (end.how == ChildEnd::How::Exited) {
        // The child itself is gone: anything still running in its job it started.
        end.leftProcesses = running(job.get()) > 0;
    }
    TerminateJobObject(job.get(), 1);
    WaitForSingleObject(process.get(), INFINITE);
    // What is left in the pipes, read without waiting on the ended job's last writers.
    take(output.read.get(), said);
    take(report.read.get(), reported);
    end.reportOverflowed = reported.overflowed();
    end.output = std::move(said).text();
    end.report = std::move(reported).text();
    if (end.how == ChildEnd::How::Exited) {
        DWORD code = 0;
        GetExitCodeProcess(process.get(), &code);
        end.code = code;
        if (code >= 0xC0000000UL) {
            end.how = ChildEnd::How::Crashed;
        }
    }
    return end;
}

std::string crashText(long long code) {
    char text[64];
    std::snprintf(text, sizeof text, "crashed with exception 0x%08llX%s",
                  static_cast<unsigned long long>(code),
                  code == 0xC0000005LL ? " (access violation)" : "");
    return text;
}

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
