#include <windows.h>

#include <atomic>
#include <cstdio>
#include <future>
#include <thread>
#include <vector>

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

std::string failed(const std::string& what, DWORD error) {
    return what + " (error " + std::to_string(error) + ")";
}

void addFault(std::string& faults, const std::string& fault) {
    faults += (faults.empty() ? "" : "; ") + fault;
}

wchar_t latin1(unsigned char byte) {
    return static_cast<wchar_t>(byte);
}

std::wstring wide(const std::string& text) {
    return platform::fromUtf8(text.data(), text.size(), latin1);
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

// Windows compares the names of variables without regard to case.
struct NoCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
};

// Our environment with `changes`, as CreateProcessW takes it: sorted
// NAME=value strings, each ended by a zero, and one zero more.
std::wstring environmentBlock(const std::map<std::string, std::string>& changes) {
    std::map<std::wstring, std::wstring, NoCase> merged;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
        // The working folders of drives are kept in variables named "=C:".
        const std::wstring text(entry);
        const size_t equals = text.find(L'=', 1);
        if (equals != std::wstring::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : changes) {
        merged[wide(name)] = wide(value);
    }
    std::wstring block;
    for (const auto& [name, value] : merged) {
        block += name + L'=' + value + L'\0';
    }
    return block + L'\0';
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
// UTF-8. An ANSI text is in the debuggee's code page, which is ours.
void appendDebugText(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info,
                     const std::wstring& file) {
    const size_t unit = info.fUnicode ? sizeof(wchar_t) : 1;
    std::vector<char> bytes(info.nDebugStringLength * unit + sizeof(wchar_t), '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, info.lpDebugStringData, bytes.data(), bytes.size() - sizeof(wchar_t),
                      &read);
    std::wstring text;
    if (info.fUnicode) {
        text = reinterpret_cast<const wchar_t*>(bytes.data());
    } else {
        const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), -1, nullptr, 0);
        text.resize(length > 0 ? length : 1);
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), -1, &text[0], length);
        text.resize(wcslen(text.c_str()));
    }
    if (FILE* out = _wfopen(file.c_str(), L"ab")) {
        const std::string utf8 = platform::toUtf8(text);
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
    for (;;) {
        DEBUG_EVENT event;
        if (!waitForDebugEvent(&event, kDebugEventMs)) {
            if (quit) {
                return;
            }
            continue;
        }
        DWORD reply = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT:
                appendDebugText(process, event.u.DebugString, file);
                break;
            case EXCEPTION_DEBUG_EVENT: {
                const DWORD code = event.u.Exception.ExceptionRecord.ExceptionCode;
                if (code != EXCEPTION_BREAKPOINT && code != kWow64Breakpoint) {
                    reply = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            }
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, reply);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            return;
        }
    }
}

// A job that kills what it holds when its last handle closes, ours: also
// when the test itself dies. Null when there is none, with the error in
// *error.
HANDLE killingJob(DWORD* error) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        *error = GetLastError();
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        *error = GetLastError();
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// The startup information of a child that inherits its three standard
// handles and no other handle of ours (which would keep a file, a socket or
// a pipe of the test open while it runs).
class StartupInfo {
  public:
    StartupInfo(HANDLE input, HANDLE output, HANDLE error) {
        info_.StartupInfo.cb = sizeof info_.StartupInfo;
        info_.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
        info_.StartupInfo.hStdInput = input;
        info_.StartupInfo.hStdOutput = output;
        info_.StartupInfo.hStdError = error;
        for (HANDLE handle : {input, output, error}) {
            if (handle != INVALID_HANDLE_VALUE) {
                inherited_.push_back(handle);
            }
        }
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attributes_.resize(size);
        auto* list = reinterpret_cast<PPROC_THREAD_ATTRIBUTE_LIST>(attributes_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            fault_ = failed("cannot limit the handles that the child inherits", GetLastError());
            return;
        }
        info_.lpAttributeList = list;
        if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                       inherited_.data(), inherited_.size() * sizeof(HANDLE),
                                       nullptr, nullptr)) {
            fault_ = failed("cannot limit the handles that the child inherits", GetLastError());
            return;
        }
        info_.StartupInfo.cb = sizeof info_;
    }
    ~StartupInfo() {
        if (info_.lpAttributeList != nullptr) {
            DeleteProcThreadAttributeList(info_.lpAttributeList);
        }
        CloseHandle(info_.StartupInfo.hStdInput);
        CloseHandle(info_.StartupInfo.hStdOutput);
        CloseHandle(info_.StartupInfo.hStdError);
    }
    StartupInfo(const StartupInfo&) = delete;
    StartupInfo& operator=(const StartupInfo&) = delete;

    // Extended only when the list is whole: a child that inherits too much
    // still runs, and fault() says so.
    STARTUPINFOW* get() { return &info_.StartupInfo; }
    DWORD flags() const { return fault_.empty() ? EXTENDED_STARTUPINFO_PRESENT : 0; }
    const std::string& fault() const { return fault_; }

  private:
    STARTUPINFOEXW info_ = {};
    std::vector<HANDLE> inherited_;
    std::vector<char> attributes_;
    std::string fault_;
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
    std::wstring environmentStrings = environmentBlock(environment);
    const std::wstring workingFolder = wide(folder);

    // The handles are inheritable only while `start` lives, and listed as the
    // only ones that the child inherits; only one thread starts processes, so
    // no other child inherits them.
    StartupInfo start(childFile("NUL", false), childFile(outputPath_, true),
                      childFile(errorPath_, true));
    addFault(fault_, start.fault());
    // Suspended until it is in its job. Detached: no console of its own,
    // whose window a program would keep open for a key.
    const DWORD flags =
        CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED | DETACHED_PROCESS | start.flags();
    auto createProcess = [&](DWORD moreFlags, PROCESS_INFORMATION* info) {
        return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, flags | moreFlags,
                              &environmentStrings[0], workingFolder.c_str(), start.get(),
                              info) != 0;
    };

    PROCESS_INFORMATION info = {};
    bool started = false;
    const auto debugOutput = environment.find("FLIGHTMFD_DEBUG_OUTPUT");
    if (debugOutput == environment.end()) {
        started = createProcess(0, &info);
    } else {
        // Debug events go to the thread that started the process, so the
        // debugger thread starts it and hands it over. It owns the promise,
        // which must outlive set_value; what it uses of ours it uses before.
        std::promise<PROCESS_INFORMATION> handOver;
        std::future<PROCESS_INFORMATION> handedOver = handOver.get_future();
        handles_->debugger = std::thread(
            [&, handOver = std::move(handOver), file = wide(debugOutput->second)]() mutable {
                PROCESS_INFORMATION child = {};
                const bool ok = createProcess(DEBUG_ONLY_THIS_PROCESS, &child);
                const HANDLE process = child.hProcess;
                std::atomic<bool>& quit = handles_->quit;
                handOver.set_value(child);
                if (ok) {
                    serveDebugger(process, file, quit);
                }
            });
        info = handedOver.get();
        started = info.hProcess != nullptr;
    }
    if (!started) {
        handles_->release();
        return;
    }
    // Outside the job it would outlive a test that dies: fault() says so.
    DWORD error = 0;
    handles_->job = killingJob(&error);
    if (handles_->job == nullptr) {
        addFault(fault_, failed("cannot make a job that ends the child with the test", error));
    } else if (!AssignProcessToJobObject(handles_->job, info.hProcess)) {
        addFault(fault_, failed("cannot put the child in the job that ends it with the test",
                                GetLastError()));
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

bool Process::ownsThread(long id) const {
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (thread == nullptr) {
        return false;
    }
    const bool owns = pid_ > 0 && GetProcessIdOfThread(thread) == static_cast<DWORD>(pid_);
    CloseHandle(thread);
    return owns;
}

std::string Process::asText(std::string bytes) {
    size_t kept = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') {
            bytes[kept++] = bytes[i];
        }
    }
    bytes.resize(kept);
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
