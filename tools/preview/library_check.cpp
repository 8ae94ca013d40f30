#include "tools/preview/library_check.h"

#include <memory>

#include "device/direct_output_loader.h"
#include "device/mfd.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/registry.h"
#include "platform/utf8.h"

namespace {

std::string notInitialized() {
    return std::string("the program stops with \"") + kInitializeFailedMessage + "\"";
}

// Each ends with a command on a line of its own, ready to copy.
#ifdef _WIN32
const char kTryVirtualDisplay[] =
    "To try the program without the joystick, name the virtual display instead, in a command "
    "prompt in this folder:\n    set FLIGHTMFD_DISPLAY_LIBRARY=%CD%\\virtualmfd.dll";
const char kMakeTheEntry[] = "install the joystick vendor's software, which makes that entry.";
const char kClearVariable[] = "set FLIGHTMFD_DISPLAY_LIBRARY=";
#else
const char kTryVirtualDisplay[] =
    "To try the program without the joystick, name the virtual display instead:\n"
    "    export FLIGHTMFD_DISPLAY_LIBRARY=/usr/lib/flightmfd/libvirtualmfd.so";
const char kMakeTheEntry[] = "write the library's full path into that file.";
const char kClearVariable[] = "unset FLIGHTMFD_DISPLAY_LIBRARY";
#endif

// What the program does without one of the entry points that it calls.
std::string withoutEntryPoint(DirectOutputEntry entry) {
    switch (entry) {
        case DirectOutputEntry::Initialize:
            return notInitialized();
        case DirectOutputEntry::RegisterDeviceChangeCallback:
        case DirectOutputEntry::Enumerate:
            return std::string("the program learns of no device and stops with \"") +
                   kNoDeviceMessage + "\"";
        case DirectOutputEntry::AddPage:
            return "the display gets no pages and stays blank";
        default:
            return "the display shows no text";
    }
}

std::string item(const std::string& text) {
    return "  " + text + "\n";
}

// Where the registry leaves the program without a path, and why.
std::string registryGap() {
    platform::RegistryKey key;
    if (!key.open(kDirectOutputKey)) {
        return "That key is not there";
    }
    key.close();
    return "The key is there, but not the value (or it is over 4095 characters long)";
}

std::string entryPointReport(platform::LibraryHandle library) {
    std::string report;
    for (size_t i = 0; i < kCalledEntryPointCount; ++i) {
        if (platform::findSymbol(library, kDirectOutputEntryPoints[i]) == nullptr) {
            report += item("It lacks " + std::string(kDirectOutputEntryPoints[i]) + ": " +
                           withoutEntryPoint(DirectOutputEntry(i)) + ".");
        }
    }
    if (report.empty()) {
        return item("It loads, and exports the five entry points that the program calls.");
    }
    return item("It loads, but it is not a display library that the program can use.") + report +
           item("To do: name the joystick vendor's DirectOutput.dll, or the virtual display.");
}

// What to do about a library that is not there or does not load.
std::string mendPath(bool fromVariable) {
    if (fromVariable) {
        return item(std::string("To do: set FLIGHTMFD_DISPLAY_LIBRARY to the library's full "
                                "path, or clear it to use the registry's entry: ") +
                    kClearVariable);
    }
    return item(std::string("To do: the entry names no library that the program can use; ") +
                kMakeTheEntry + " " + kTryVirtualDisplay);
}

std::string libraryReport(const std::wstring& path, bool fromVariable) {
    const std::string shown = platform::toUtf8(path);
    std::string report = item("Path: " + shown);
    std::string error;
    platform::LibraryHandle library = platform::loadLibrary(path.c_str(), &error);
    if (library != nullptr) {
        report += entryPointReport(library);
        platform::freeLibrary(library);
        return report;
    }
    report += item((platform::isFile(shown) ? "The file is there but does not load: " + error
                                            : std::string("No file is there")) +
                   "; " + notInitialized() + ".");
    return report + mendPath(fromVariable);
}

}  // namespace

std::string checkDisplayLibrary() {
    std::string report = "Display library:\n";
    bool quoted = false;
    std::wstring path = displayLibraryVariable(&quoted);
    if (!path.empty()) {
        report += item(std::string(kDisplayLibraryVariable) + " names it" +
                       (quoted ? " (in double quotes, which the program takes off)" : "") +
                       ", so the program does not read the registry.");
        return report + libraryReport(path, true);
    }
    report += item(std::string(kDisplayLibraryVariable) + " is not set, so the program reads " +
                   platform::registryValueLocation(kDirectOutputKey, kDirectOutputValue) + ".");
    std::unique_ptr<wchar_t[]> registered;
    if (!DirectOutputLoader::GetDirectOutputFileName(registered)) {
        return report + item(registryGap() + "; " + notInitialized() + ".") +
               item(std::string("To do: ") + kMakeTheEntry + " " + kTryVirtualDisplay);
    }
    return report + libraryReport(registered.get(), false);
}
