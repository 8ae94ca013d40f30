#include "tests/support/child_process.h"

#include <gtest/gtest.h>

namespace testsupport {

ChildProcess::~ChildProcess() {
    kill();
    if (!fault().empty()) {
        ADD_FAILURE() << "a child process was not as promised: " << fault();
    }
    // The sanitizer builds run the same tests; a report from a child that the
    // test never waited for would otherwise go unseen.
    const std::string text = errors();
    for (const char* marker : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                               "WARNING: ThreadSanitizer", "runtime error:"}) {
        if (text.find(marker) != std::string::npos) {
            ADD_FAILURE() << "sanitizer report on the standard error of a child:\n" << text;
            return;
        }
    }
}

}  // namespace testsupport
