#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "program/check/child/started_child.h"
#include "program/process/this_program.h"
#include "simhost/host_error.h"

namespace simhost::check {

namespace {

// How long ending a check child may take, in milliseconds.
constexpr DWORD kLongestEnd = 5000;

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

// This program's command line for a child, its channel named by the handle's number.
std::wstring commandLineOf(const std::wstring& self, const ChildArguments& arguments,
                           HANDLE channel) {
    std::wstring line = quoted(self);
    const std::string named = std::to_string(reinterpret_cast<std::uintptr_t>(channel));
    for (const std::string& argument : arguments(named)) {
        line += L" " + quoted(std::filesystem::path(argument).wstring());
    }
    return line;
}

// What a child may inherit: the handles named here, and no other handle this program holds as
// inheritable (one left so by whoever started it, say).
class InheritedOnly {
public:
    explicit InheritedOnly(std::array<HANDLE, 3> handles) : handles_(handles) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (!InitializeProcThreadAttributeList(list_, 1, 0, &size)) {
            failed("cannot list what a child inherits");
        }
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                       sizeof(HANDLE) * handles_.size(), nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list_);
            failed("cannot list what a child inherits");
        }
    }
    InheritedOnly(const InheritedOnly&) = delete;
    InheritedOnly& operator=(const InheritedOnly&) = delete;
    ~InheritedOnly() { DeleteProcThreadAttributeList(list_); }
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

private:
    std::array<HANDLE, 3> handles_;
    std::vector<char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

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
    std::wstring commandLine = commandLineOf(self, arguments, p.report.write.get());
    p.job.reset(jobEndingOnClose());
    const InheritedOnly inherited({p.input.read.get(), p.output.write.get(), p.report.write.get()});
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = p.input.read.get();
    startup.StartupInfo.hStdOutput = p.output.write.get();
    startup.StartupInfo.hStdError = p.output.write.get();
    startup.lpAttributeList = inherited.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                        &startup.StartupInfo, &started)) {
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
    // By its handle as well as its job, and waited for a few seconds at most: one that cannot be
    // ended even then counts as ended by the check.
    TerminateProcess(p.process.get(), 1);
    const bool gone = WaitForSingleObject(p.process.get(), kLongestEnd) == WAIT_OBJECT_0;
    p.finished = true;
    DWORD code = 1;
    if (gone) {
        GetExitCodeProcess(p.process.get(), &code);
    }
    exit.code = code;
    exit.crashed = endedByItself && code >= 0xC0000000UL;
    return exit;
}

std::string containmentShortfall() {
    return {};  // the job object holds whatever the child starts
}

std::string crashText(long long code) {
    char text[64];
    std::snprintf(text, sizeof text, "crashed with exception 0x%08llX%s",
                  static_cast<unsigned long long>(code),
                  code == 0xC0000005LL ? " (access violation)" : "");
    return text;
}

}  // namespace simhost::check
