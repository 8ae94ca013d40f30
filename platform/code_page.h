#pragma once

namespace platform {

// The wide character that one byte of the system's 8-bit code page stands for
// (Windows: the ANSI code page; POSIX: Latin-1).
wchar_t codePageChar(unsigned char byte);

}  // namespace platform
