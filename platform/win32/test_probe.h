#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The probe program (platform_probe.exe, beside the test executable) started
// with `arguments`, its standard output and error read through one pipe.
// Owned by one test; every wait is bounded, and the destructor ends a probe
// that is still running.
class Probe {
  public:
    enum class Input {
        kPipe,    // a pipe the test writes to and closes
        kAbsent,  // no standard input handle at all
    };

    Probe(const std::wstring& arguments, Input input = Input::kPipe);
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    // Reads output until it contains `text`; false if the probe ends or 30 s
    // pass first.
    bool readUntil(const std::string& text);
    void write(const std::string& text);
    void closeInput();
    // Waits (at most 30 s) for the end of the probe and reads the rest of its
    // output; its exit code, or STILL_ACTIVE.
    DWORD wait();
    const std::string& output() const { return output_; }

  private:
    bool readAvailable();  // false once the pipe is closed

    PROCESS_INFORMATION process_ = {};
    HANDLE input_ = nullptr;
    HANDLE output_pipe_ = nullptr;
    std::string output_;
};

}  // namespace platform
