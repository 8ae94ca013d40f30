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

// Wide text from `length` bytes in `codePage`, converted in one piece so that
// the characters of double-byte code pages (Japanese, Chinese, Korean), whose
// trail bytes may look like ASCII, stay whole. A lead byte that ends the text
// without its trail byte becomes U+FFFD.
std::wstring fromCodePage(const char* text, size_t length, unsigned codePage);

// The same text as UTF-8, the one encoding of the program's display lines.
std::string codePageToUtf8(const char* text, size_t length, unsigned codePage = kSystemCodePage);

// Text from outside in the system's 8-bit encoding (the aircraft's name) as
// UTF-8. On Windows that is the ANSI code page. On POSIX, whose systems mostly
// write UTF-8, a text that is valid UTF-8 stays as it is; any other is read
// as Latin-1.
std::string systemTextToUtf8(const char* text, size_t length);

}  // namespace platform
