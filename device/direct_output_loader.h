#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "device/direct_output.h"
#include "platform/library.h"

// Where the display vendor's installer records its library's full path:
// a value under HKEY_LOCAL_MACHINE.
constexpr wchar_t kDirectOutputKey[] = L"SOFTWARE\\Saitek\\DirectOutput";
constexpr wchar_t kDirectOutputValue[] = L"DirectOutputX86";

// The variable that names the display library in place of the registry.
constexpr char kDisplayLibraryVariable[] = "FLIGHTMFD_DISPLAY_LIBRARY";

// The library that FLIGHTMFD_DISPLAY_LIBRARY names; empty when it is not set
// or empty. A path in double quotes, perhaps with blanks around them, is
// taken without them, since quoting a path is a Windows habit (set
// NAME="%CD%\virtualmfd.dll"); *quoted, when given, tells whether it was.
std::wstring displayLibraryVariable(bool* quoted = nullptr);

// The display vendor's library, found through the registry and loaded at run
// time, with its entry points bound by name. The loader owns the loaded
// library and frees it when destroyed. Everything is decided in the
// constructor and read-only afterwards, so the loader needs no lock.
//
// The wrappers call their entry point with the arguments given and return its
// result; when the library or the entry point is missing they call nothing
// and return E_NOTIMPL, so that callers need only one kind of error check.
class DirectOutputLoader {
  public:
    // Never fails: a missing registry value or library leaves the loader
    // empty, with a line on the debugger output. A non-empty
    // FLIGHTMFD_DISPLAY_LIBRARY names the library in place of the registry.
    DirectOutputLoader();
    ~DirectOutputLoader();
    DirectOutputLoader(const DirectOutputLoader&) = delete;
    DirectOutputLoader& operator=(const DirectOutputLoader&) = delete;

    // Reads the library's full path from the registry. On true, `path` holds
    // a new terminated wide string (always terminated, even when the stored
    // value is not); on false it is left alone.
    static bool GetDirectOutputFileName(std::unique_ptr<wchar_t[]>& path);

    // Writes "<operation> returned hr = <result in hex>\n" to the debugger
    // output when `result` is negative; nothing otherwise.
    static void reportResult(int32_t result, const char* operation);

    int32_t Initialize(const wchar_t* applicationName) const;
    int32_t RegisterDeviceChangeCallback(DirectOutputDeviceChangeCallback callback,
                                         void* context) const;
    int32_t Enumerate() const;
    int32_t AddPage(void* device, uint32_t page, const wchar_t* name, uint32_t flags) const;
    int32_t SetString(void* device, uint32_t page, uint32_t line, uint32_t length,
                      const wchar_t* text) const;

    bool loaded() const { return module != nullptr; }

  private:
    // The entry point `name` in the type that it was declared with, the only
    // one that it is called through; null when the library does not export it.
    template <typename Function>
    Function entry(DirectOutputEntry name) const {
        return reinterpret_cast<Function>(entryPoints[static_cast<size_t>(name)]);
    }

    platform::LibraryHandle module = nullptr;
    // Every entry point of kDirectOutputEntryPoints, in its order, bound by
    // name when the library is loaded; null when not exported.
    std::array<platform::Symbol, kDirectOutputEntryPointCount> entryPoints{};
};
