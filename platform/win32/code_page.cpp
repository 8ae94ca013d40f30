#include "platform/code_page.h"

#include <windows.h>

namespace platform {

wchar_t codePageChar(unsigned char byte) {
    const char narrow = static_cast<char>(byte);
    wchar_t wide;
    if (MultiByteToWideChar(CP_ACP, 0, &narrow, 1, &wide, 1) != 1) {
        // A lead byte of a double-byte code page has no character of its own;
        // it keeps its Latin-1 meaning, as on POSIX.
        return static_cast<wchar_t>(byte);
    }
    return wide;
}

}  // namespace platform
