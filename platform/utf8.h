#pragma once

#include <string>

namespace platform {

// UTF-8 from wide text (UTF-32 on POSIX, UTF-16 on Windows). Unpaired
// surrogates and values beyond U+10FFFF become U+FFFD.
std::string toUtf8(const wchar_t* text);
std::string toUtf8(const std::wstring& text);

// Wide text from UTF-8. A byte that does not start a valid sequence becomes
// the character that `fallback` gives for it, so that text in an 8-bit code
// page mixed into UTF-8 survives.
std::wstring fromUtf8(const char* text, size_t length, wchar_t (*fallback)(unsigned char));

// Length of the valid UTF-8 sequence at `text` (at most `available` bytes),
// storing its code point; 0 when the bytes there are not a valid sequence.
size_t decodeUtf8(const unsigned char* text, size_t available, char32_t* codePoint);

// Whether `length` bytes of `text` are all valid UTF-8 sequences.
bool isUtf8(const char* text, size_t length);

// Appends one code point as wide text: a surrogate pair on Windows beyond
// the basic plane.
void appendWide(std::wstring& out, char32_t codePoint);

// The first `length` bytes of UTF-8 `text` without a sequence that they cut
// short at their end, so that a text cut at a byte limit ends on a
// character boundary.
size_t wholeUtf8Length(const char* text, size_t length);

}  // namespace platform
