#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "program/check/started_child.h"
#include "program/process/this_program.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

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
bool take(HANDLE pipe, ChannelReader& text) {
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

// A job whose processes all end when it is closed: whatever the child starts is in it.
HANDLE jobEndingOnClose() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job == nullptr ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        failed("cannot make a job for a child");
    }
    return job;
}

}  // namespace

struct StartedChild::Parts {
    Parts() : input(true), output(false), report(false) {}
    Pipe input;
    Pipe output;
    Pipe report;
    Handle job;
    Handle process;
    bool outputOpen = true;
    bool reportOpen = true;
    bool finished = false;
};

StartedChild::StartedChild(const ChildArguments& arguments, std::string_view token)
    : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    // The token waits in the pipe before the child exists, so that writing it cannot fail.
    const std::string tokenLine = std::string(token) + "\n";
    DWORD written = 0;
    if (!WriteFile(p.input.write.get(), tokenLine.data(), static_cast<DWORD>(tokenLine.size()),
                   &written, nullptr)) {
        failed("cannot hand a child its token");
    }
    p.input.write.reset();

    const std::wstring self = thisProgram().wstring();
    const std::string channel =
        std::to_string(reinterpret_cast<std::uintptr_t>(p.report.write.get()));
    std::wstring commandLine = quoted(self);
    for (const std::string& argument : arguments(channel)) {
        commandLine += L" " + quoted(std::filesystem::path(argument).wstring());
    }
    p.job.reset(jobEndingOnClose());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = p.input.read.get();
    startup.hStdOutput = p.output.write.get();
    startup.hStdError = p.output.write.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
        failed("cannot start a child to run the check in");
    }
    p.process.reset(started.hProcess);
    const Handle thread(started.hThread);
    if (!AssignProcessToJobObject(p.job.get(), p.process.get())) {
        TerminateProcess(p.process.get(), 1);
        failed("cannot put a child in its job");
    }
    ResumeThread(thread.get());
    p.input.read.reset();
    p.output.write.reset();
    p.report.write.reset();
}

StartedChild::~StartedChild() {
    if (!parts_->finished) {
        finish();
    }
}

void StartedChild::read(ChannelReader& output, ChannelReader& report,
                        std::chrono::milliseconds wait) {
    Parts& p = *parts_;
    p.outputOpen = p.outputOpen && take(p.output.read.get(), output);
    p.reportOpen = p.reportOpen && take(p.report.read.get(), report);
    WaitForSingleObject(p.process.get(), static_cast<DWORD>(wait.count()));
}

bool StartedChild::ended() {
    return WaitForSingleObject(parts_->process.get(), 0) == WAIT_OBJECT_0;
}

ChildExit StartedChild::finish() {
    Parts& p = *parts_;
    ChildExit exit;
    const bool endedByItself = ended();
    // The child itself is gone: anything still running in its job it started.
    exit.leftProcesses = endedByItself && running(p.job.get()) > 0;
    TerminateJobObject(p.job.get(), 1);
    WaitForSingleObject(p.process.get(), INFINITE);
    p.finished = true;
    DWORD code = 0;
    GetExitCodeProcess(p.process.get(), &code);
    exit.code = code;
    exit.crashed = endedByItself && code >= 0xC0000000UL;
    return exit;
}

std::string crashText(long long code) {
    char text[64];
    std::snprintf(text, sizeof text, "crashed with exception 0x%08llX%s",
                  static_cast<unsigned long long>(code),
                  code == 0xC0000005LL ? " (access violation)" : "");
    return text;
}

}  // namespace simhost::check
