#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The system's 8-bit code page: on Windows the ANSI code page (CP_ACP), on
// POSIX Latin-1. Other values are Windows code page numbers (932, 1252...),
// which only Windows honours: POSIX reads every byte as Latin-1 whatever the
// code page asked for.
constexpr unsigned kSystemCodePage = 0;

// The wide character that one byte of the system's 8-bit code page stands for.
wchar_t codePageChar(unsigned char byte);

// How many of the `available` bytes at `text` make its first character in
// `codePage`: 2 for a lead byte of a double-byte code page (Japanese, Chinese,
// Korean) with its trail byte, which may look like ASCII; else 1.
size_t codePageCharLength(const char* text, size_t available, unsigned codePage);

// Wide text from `length` bytes in `codePage`, converted in one piece so that
// double-byte characters stay whole.
std::wstring fromCodePage(const char* text, size_t length, unsigned codePage);

}  // namespace platform
