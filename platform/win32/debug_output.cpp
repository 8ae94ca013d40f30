#include "platform/debug_output.h"

#include <windows.h>

namespace platform {

void debugOutput(const char* text) {
    OutputDebugStringA(text);
}

void debugOutput(const wchar_t* text) {
    OutputDebugStringW(text);
}

}  // namespace platform
