#include "platform/debug_output.h"

#include <windows.h>

namespace platform {

void systemDebugOutput(const char* text) {
    OutputDebugStringA(text);
}

void systemDebugOutput(const wchar_t* text) {
    OutputDebugStringW(text);
}

}  // namespace platform
