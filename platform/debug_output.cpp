#include "platform/debug_output.h"

#include <atomic>

#include "platform/utf8.h"

namespace platform {
namespace {

std::atomic<DebugSink> sink{nullptr};

}  // namespace

void debugOutput(const char* text) {
    if (DebugSink to = sink.load()) {
        to(text);
    } else {
        systemDebugOutput(text);
    }
}

void debugOutput(const wchar_t* text) {
    if (DebugSink to = sink.load()) {
        to(toUtf8(text));
    } else {
        systemDebugOutput(text);
    }
}

DebugSink swapDebugSink(DebugSink replacement) {
    return sink.exchange(replacement);
}

}  // namespace platform
