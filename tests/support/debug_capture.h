#pragma once

#include <string>

namespace testsupport {

// What the code under test writes to the debugger output, kept as UTF-8 for
// the test while the object lives, on every platform. One at a time; the
// texts may come from any thread.
class DebugCapture {
  public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::string text() const;
    void clear();
};

// For the child of a death test, which tells its parent only through standard
// error: standard input is at its end, so that a key wait returns at once, and
// standard output and the debugger output go to standard error, in the order
// written.
void redirectForDeathTest();

}  // namespace testsupport
