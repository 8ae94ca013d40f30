#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/utf8.h"
#include "tests/support/process.h"

namespace testsupport {

// The child, the job that ends it with us, and the thread that is its
// debugger when its debugger output is wanted. Owned by the Process, used by
// its thread; the debugger thread touches only what it was given and `quit`.
struct Process::Handles {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    std::thread debugger;
    std::atomic<bool> quit{false};
    bool killed = false;  // ended by us: no exit status of its own

    // Ends the debugger thread and closes the handles. A process that still
    // runs ends with them: as Windows has it, with the thread that debugs
    // it, and with the job's last handle. The debugger has taken every
    // output text of an ended process: each held its thread until answered.
    void release() {
        quit = true;
        if (debugger.joinable()) {
            debugger.join();
        }
        for (HANDLE* handle : {&process, &job}) {
            if (*handle != nullptr) {
                CloseHandle(*handle);
                *handle = nullptr;
            }
        }
    }
};

namespace {

// How long the end of a killed process, and a debugger with no more events,
// are waited for.
constexpr DWORD kEndMs = 10000;
constexpr DWORD kDebugEventMs = 100;
// The loader's breakpoint of a 32-bit process that a 64-bit debugger debugs
// (STATUS_WX86_BREAKPOINT, which winnt.h does not name).
constexpr DWORD kWow64Breakpoint = 0x4000001F;

void addFault(std::string& faults, const std::string& what, DWORD error) {
    faults += (faults.empty() ? "" : "; ") + what + " (error " + std::to_string(error) + ")";
}

std::wstring wide(const std::string& text) {
    return platform::fromUtf8(text.data(), text.size(),
                              [](unsigned char latin1) { return static_cast<wchar_t>(latin1); });
}

// One argument as the C runtime takes the command line apart again: quoted
// when it is empty or holds a blank or a quote, with the backslashes before a
// quote, and before the closing one, doubled.
void appendArgument(std::wstring& line, const std::wstring& argument) {
    line += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

// A file for one of the child's standard handles, which it inherits. Shared
// for reading and writing, so that the test reads what the child writes, and
// for deletion, so that its folder goes even if a handle outlives the test.
HANDLE childFile(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Appends a text that the debuggee gave OutputDebugString to `file`, as
// UTF-8. An ANSI text is in the debuggee's code page, which is ours. The
// zeros past what is read end the text in either width.
void appendDebugText(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info,
                     const std::wstring& file) {
    std::vector<char> bytes((info.nDebugStringLength + 1) * sizeof(wchar_t), '\0');
    ReadProcessMemory(process, info.lpDebugStringData, bytes.data(),
                      info.nDebugStringLength * (info.fUnicode ? sizeof(wchar_t) : 1), nullptr);
    const std::string utf8 =
        info.fUnicode ? platform::toUtf8(reinterpret_cast<const wchar_t*>(bytes.data()))
                      : platform::codePageToUtf8(bytes.data(), std::strlen(bytes.data()));
    if (FILE* out = _wfopen(file.c_str(), L"ab")) {
        std::fwrite(utf8.data(), 1, utf8.size(), out);
        std::fclose(out);
    }
}

// WaitForDebugEventEx where Windows has it (10 and later): only with it does
// the text of OutputDebugStringW come as it was written. WaitForDebugEvent
// gets its ANSI copy, in which a character outside the code page is '?'.
using DebugEventWait = BOOL(WINAPI*)(DEBUG_EVENT*, DWORD);

DebugEventWait debugEventWait() {
    const FARPROC wait = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "WaitForDebugEventEx");
    return wait != nullptr ? reinterpret_cast<DebugEventWait>(reinterpret_cast<void (*)()>(wait))
                           : WaitForDebugEvent;
}

// The debugger's loop, on the thread that started the process, as Windows
// requires, until the process has ended or `quit` is set and no event comes.
// Every exception but the loader's breakpoint, in either width, goes back to
// the process unhandled, as if no debugger were there.
void serveDebugger(HANDLE process, const std::wstring& file, const std::atomic<bool>& quit) {
    const DebugEventWait waitForDebugEvent = debugEventWait();
    DEBUG_EVENT event;
    for (;;) {
        while (!waitForDebugEvent(&event, kDebugEventMs)) {
            if (quit) {
                return;
            }
        }
        const DWORD code = event.dwDebugEventCode;
        const DWORD exception = code == EXCEPTION_DEBUG_EVENT
                                    ? event.u.Exception.ExceptionRecord.ExceptionCode
                                    : EXCEPTION_BREAKPOINT;
        if (code == CREATE_PROCESS_DEBUG_EVENT) {
            CloseHandle(event.u.CreateProcessInfo.hFile);
        } else if (code == LOAD_DLL_DEBUG_EVENT) {
            CloseHandle(event.u.LoadDll.hFile);
        } else if (code == OUTPUT_DEBUG_STRING_EVENT) {
            appendDebugText(process, event.u.DebugString, file);
        }
        const bool unhandled = exception != EXCEPTION_BREAKPOINT && exception != kWow64Breakpoint;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId,
                           unhandled ? DBG_EXCEPTION_NOT_HANDLED : DBG_CONTINUE);
        if (code == EXIT_PROCESS_DEBUG_EVENT) {
            return;
        }
    }
}

// The startup information of a child that inherits its three standard
// handles and no other handle of ours (which would keep a file, a socket or
// a pipe of the test open while it runs), which it closes at the end.
// Extended only when the list is whole: a child that inherits too much still
// runs, and the fault says so.
struct StartupInfo {
    StartupInfo(HANDLE input, HANDLE output, HANDLE error, std::string& faults) {
        info.StartupInfo.cb = sizeof info.StartupInfo;
        info.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        info.StartupInfo.hStdInput = input;
        info.StartupInfo.hStdOutput = output;
        info.StartupInfo.hStdError = error;
        for (HANDLE handle : {input, output, error}) {
            if (handle != INVALID_HANDLE_VALUE) {
                inherited.push_back(handle);
            }
        }
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attributes.resize(size);
        auto* list = reinterpret_cast<PPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            info.lpAttributeList = list;
        }
        if (info.lpAttributeList != nullptr &&
            UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited.data(),
                                      inherited.size() * sizeof(HANDLE), nullptr, nullptr)) {
            info.StartupInfo.cb = sizeof info;
        } else {
            addFault(faults, "cannot limit the handles that the child inherits", GetLastError());
        }
    }
    ~StartupInfo() {
        if (info.lpAttributeList != nullptr) {
            DeleteProcThreadAttributeList(info.lpAttributeList);
        }
        CloseHandle(info.StartupInfo.hStdInput);
        CloseHandle(info.StartupInfo.hStdOutput);
        CloseHandle(info.StartupInfo.hStdError);
    }
    DWORD flags() const {
        return info.StartupInfo.cb == sizeof info ? EXTENDED_STARTUPINFO_PRESENT : 0;
    }

    STARTUPINFOEXW info = {};
    std::vector<HANDLE> inherited;
    std::vector<char> attributes;
};

}  // namespace

Process::Process(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const std::string& name,
                 const std::map<std::string, std::string>& environment)
    : outputPath_(folder + "/" + name + ".out"),
      errorPath_(folder + "/" + name + ".err"),
      handles_(std::make_unique<Handles>()) {
    std::wstring commandLine = L"\"" + wide(program) + L"\"";
    for (const std::string& argument : arguments) {
        appendArgument(commandLine, wide(argument));
    }
    // As CreateProcessW takes it: NAME=value strings, each ended by a zero,
    // and one zero more.
    std::vector<std::string> ours;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
        ours.push_back(platform::toUtf8(entry));
    }
    FreeEnvironmentStringsW(strings);
    // Windows compares the names of variables without regard to case.
    const auto noCase = [](const std::string& a, const std::string& b) {
        return _stricmp(a.c_str(), b.c_str()) < 0;
    };
    std::wstring environmentBlock;
    for (const std::string& entry : environmentWith(ours, environment, noCase)) {
        environmentBlock += wide(entry) + L'\0';
    }
    environmentBlock += L'\0';
    const std::wstring workingFolder = wide(folder);

    // The handles are inheritable only while `start` lives, and listed as the
    // only ones that the child inherits; only one thread starts processes, so
    // no other child inherits them.
    StartupInfo start(childFile("NUL", false), childFile(outputPath_, true),
                      childFile(errorPath_, true), fault_);
    // Suspended until it is in its job. Detached: no console of its own,
    // whose window a program would keep open for a key.
    auto createProcess = [&](DWORD debug) {
        PROCESS_INFORMATION info = {};
        const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED | DETACHED_PROCESS |
                            start.flags() | debug;
        return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, flags,
                              &environmentBlock[0], workingFolder.c_str(), &start.info.StartupInfo,
                              &info)
                   ? info
                   : PROCESS_INFORMATION{};
    };
    PROCESS_INFORMATION info = {};
    const auto debugOutput = environment.find("FLIGHTMFD_DEBUG_OUTPUT");
    if (debugOutput == environment.end()) {
        info = createProcess(0);
    } else {
        // Debug events go to the thread that started the process, so the
        // debugger thread starts it and hands it over. It owns the promise,
        // which must outlive set_value; what it uses of ours it uses before.
        std::promise<PROCESS_INFORMATION> handOver;
        std::future<PROCESS_INFORMATION> handedOver = handOver.get_future();
        handles_->debugger = std::thread(
            [&, handOver = std::move(handOver), file = wide(debugOutput->second)]() mutable {
                const PROCESS_INFORMATION child = createProcess(DEBUG_ONLY_THIS_PROCESS);
                std::atomic<bool>& quit = handles_->quit;
                handOver.set_value(child);
                if (child.hProcess != nullptr) {
                    serveDebugger(child.hProcess, file, quit);
                }
            });
        info = handedOver.get();
    }
    if (info.hProcess == nullptr) {
        handles_->release();
        return;
    }
    // Outside the job it would outlive a test that dies: fault() says so.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    handles_->job = CreateJobObjectW(nullptr, nullptr);
    if (handles_->job == nullptr ||
        !SetInformationJobObject(handles_->job, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        addFault(fault_, "cannot make a job that ends the child with the test", GetLastError());
    } else if (!AssignProcessToJobObject(handles_->job, info.hProcess)) {
        addFault(fault_, "cannot put the child in the job that ends it with the test",
                 GetLastError());
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    handles_->process = info.hProcess;
    pid_ = static_cast<int>(info.dwProcessId);
}

Process::~Process() {
    kill();
}

bool Process::ended() {
    if (WaitForSingleObject(handles_->process, 0) != WAIT_OBJECT_0) {
        return false;
    }
    DWORD code = 0;
    if (!handles_->killed && GetExitCodeProcess(handles_->process, &code)) {
        exitStatus_ = static_cast<int>(code);
    }
    handles_->release();
    pid_ = -1;
    return true;
}

void Process::askToEnd() {
    // A program without a console gets no Ctrl-C, and a window message finds
    // no window: Windows has no request to end that these programs receive.
    kill();
}

void Process::kill() {
    if (pid_ > 0) {
        handles_->killed = true;
        TerminateProcess(handles_->process, 1);
        WaitForSingleObject(handles_->process, kEndMs);
    }
    handles_->release();
    pid_ = -1;
}

bool threadOfProcess(long thread, long process) {
    const HANDLE handle =
        OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(thread));
    const bool owned =
        handle != nullptr && GetProcessIdOfThread(handle) == static_cast<DWORD>(process);
    if (handle != nullptr) {
        CloseHandle(handle);
    }
    return owned;
}

std::string Process::asText(std::string bytes) {
    for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at)) {
        bytes.erase(at, 1);
    }
    return bytes;
}

std::string programUnderTest(const std::string& file) {
    std::wstring folder = platform::environmentVariable("FLIGHTMFD_TEST_PROGRAMS");
    if (folder.empty()) {
        wchar_t self[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        folder.assign(self, length);
        folder.resize(folder.find_last_of(L"\\/"));
    }
    return platform::toUtf8(folder) + "\\" + file;
}

std::string noDoubleByteCodePage() {
    CPINFO info = {};
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2) {
        return "";
    }
    return "the ANSI code page here is " + std::to_string(GetACP()) +
           ", a single-byte one (under Wine, LANG=zh_CN.UTF-8 gives 936)";
}

}  // namespace testsupport
