#include "platform/win32/test_probe.h"

namespace platform {
namespace {

constexpr DWORD kDeadlineMs = 30000;

std::wstring probePath() {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"platform_probe.exe";
}

void makePipe(HANDLE* read, HANDLE* write, bool childReads) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    CreatePipe(read, write, &inherit, 0);
    // Only the child's end is inherited; a copy of our end in the child would
    // keep the pipe open after we close it.
    SetHandleInformation(childReads ? *write : *read, HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

Probe::Probe(const std::wstring& arguments, Input input) {
    HANDLE childInput = nullptr;
    if (input == Input::kPipe) {
        makePipe(&childInput, &input_, true);
    }
    HANDLE childOutput = nullptr;
    makePipe(&output_pipe_, &childOutput, false);
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = childInput;
    start.hStdOutput = start.hStdError = childOutput;
    std::wstring commandLine = L"\"" + probePath() + L"\" " + arguments;
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &start, &process_)) {
        process_ = {};
    }
    if (childInput != nullptr) {
        CloseHandle(childInput);
    }
    CloseHandle(childOutput);
}

Probe::~Probe() {
    closeInput();
    if (process_.hProcess != nullptr) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    CloseHandle(output_pipe_);
}

bool Probe::readAvailable() {
    DWORD available = 0;
    DWORD count = 0;
    if (!PeekNamedPipe(output_pipe_, nullptr, 0, nullptr, &available, nullptr)) {
        return false;
    }
    std::string chunk(available, '\0');
    if (available > 0 && !ReadFile(output_pipe_, chunk.data(), available, &count, nullptr)) {
        return false;
    }
    output_.append(chunk, 0, count);
    return true;
}

bool Probe::readUntil(const std::string& text) {
    for (DWORD waited = 0; waited < kDeadlineMs; waited += 10) {
        bool open = readAvailable();
        if (output_.find(text) != std::string::npos) {
            return true;
        }
        if (!open) {
            return false;
        }
        Sleep(10);
    }
    return false;
}

void Probe::write(const std::string& text) {
    DWORD written = 0;
    WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Probe::closeInput() {
    if (input_ != nullptr) {
        CloseHandle(input_);
        input_ = nullptr;
    }
}

DWORD Probe::wait() {
    if (process_.hProcess == nullptr) {
        return STILL_ACTIVE;
    }
    // Reading on while waiting keeps a probe that writes much from blocking
    // on a full pipe; once it has ended, everything it wrote is in the pipe.
    for (DWORD waited = 0; waited < kDeadlineMs; waited += 10) {
        readAvailable();
        if (WaitForSingleObject(process_.hProcess, 10) != WAIT_TIMEOUT) {
            break;
        }
    }
    readAvailable();
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace platform
