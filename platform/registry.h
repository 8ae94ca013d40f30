#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Read access to text values under HKEY_LOCAL_MACHINE. On POSIX the stand-in
// keeps value V of key K in the file <root>/HKEY_LOCAL_MACHINE/K/V (each
// backslash of K a folder), <root> being $FLIGHTMFD_REGISTRY or
// /etc/flightmfd/registry; the file holds the text as UTF-8, one trailing
// newline not counted.
class RegistryKey {
  public:
    // Opens `path` (backslash-separated) for reading; false when it is absent.
    bool open(const wchar_t* path);
    // Reads value `name` into `buffer`. On entry *sizeBytes is the room in
    // bytes; on success it is the count of bytes stored (no terminator added).
    // False when the value is missing or does not fit.
    bool queryValue(const wchar_t* name, wchar_t* buffer, uint32_t* sizeBytes);
    void close();

  private:
    void* impl_ = nullptr;
};

// Where value `name` of key `path` (under HKEY_LOCAL_MACHINE) is kept, in
// words that lead a person to it: on Windows the key, the value and the view
// of the registry that this program reads (a 32-bit program on 64-bit Windows
// reads the 32-bit view, which regedit shows under WOW6432Node); on POSIX the
// stand-in's file.
std::string registryValueLocation(const wchar_t* path, const wchar_t* name);

}  // namespace platform
