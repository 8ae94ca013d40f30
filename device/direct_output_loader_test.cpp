#include "device/direct_output_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/utf8.h"
#include "tests/support/device_fixture.h"

#ifdef _WIN32
#include <malloc.h>
#endif

namespace testsupport {
namespace {

// The loader finds the library through the registry of the platform (the
// registry on Windows, its stand-in on POSIX), one of the test's own, as the
// program does without FLIGHTMFD_DISPLAY_LIBRARY.
class LoaderTest : public DeviceTest {
  protected:
    void SetUp() override {
        if (const std::string why = ownRegistry(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        nameLibrary(std::nullopt);
        registerLibrary(virtualDisplay());
    }

    // Makes `path` the registered library; nothing removes the whole key.
    void registerLibrary(const std::optional<std::string>& path) {
        if (path) {
            registry_->storeText(*path);
        } else {
            registry_->remove(false);
        }
    }
};

void* const kVirtualDevice = reinterpret_cast<void*>(uintptr_t{1});
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057u);

struct Arrival {
    void* device = nullptr;
    bool added = false;
    void* context = nullptr;
    int calls = 0;
};

void DIRECTOUTPUT_CALL noteArrival(void* device, bool added, void* context) {
    auto* arrival = static_cast<Arrival*>(context);
    arrival->device = device;
    arrival->added = added;
    arrival->context = context;
    ++arrival->calls;
}

// Every wrapper's result on `loader`, in the order of the wrapper table.
std::vector<int32_t> wrapperResults(const DirectOutputLoader& loader, Arrival* arrival) {
    return {loader.Initialize(L"MFD"), loader.RegisterDeviceChangeCallback(noteArrival, arrival),
            loader.Enumerate(), loader.AddPage(kVirtualDevice, 0, L"PAGE00", 1),
            loader.SetString(kVirtualDevice, 0, 0, 2, L"hi")};
}

TEST_F(LoaderTest, WithoutRegistryKeyTheLoaderStaysEmpty) {
    registerLibrary(std::nullopt);
    DirectOutputLoader loader;
    EXPECT_FALSE(loader.loaded());
    EXPECT_EQ(debugOutput(), "GetDirectOutputFileName failed\n");
    Arrival arrival;
    EXPECT_EQ(wrapperResults(loader, &arrival), std::vector<int32_t>(5, E_NOTIMPL));
    EXPECT_EQ(arrival.calls, 0);
    EXPECT_TRUE(recordLines().empty());
}

TEST_F(LoaderTest, TheVariableOrElseTheRegistryNamesTheLibrary) {
    const std::string library = virtualDisplay();
    const std::string named = "DirectOutput.dll filename : ";
    const auto none = std::nullopt;
    const struct {
        std::optional<std::string> variable;    // nothing: not set
        std::optional<std::string> registered;  // nothing: no key
        bool loaded;
        std::string debug;
    } cases[] = {
        // No registry entry at all: the variable alone names the library.
        {library, none, true, named + library + "\n"},
        // It wins over the registry, also when its library cannot be loaded.
        {"/nonexistent/libvirtualmfd.so", library, false,
         named + "/nonexistent/libvirtualmfd.so\nLoadLibrary failed\n"},
        // A path in double quotes is the path without them.
        {"\"" + library + "\"", none, true, named + library + "\n"},
        {" \"/nonexistent/my lib.so\" ", library, false,
         named + "/nonexistent/my lib.so\nLoadLibrary failed\n"},
        // Empty is as if not set: the registry decides.
        {"", library, true, named + library + "\n"},
        {"", none, false, "GetDirectOutputFileName failed\n"},
        {none, none, false, "GetDirectOutputFileName failed\n"},
        // A registered library that cannot be loaded is named, then reported;
        // so is an empty value, which names no library (the dynamic loader
        // would take it for the program).
        {none, "/nonexistent/DirectOutput.so", false,
         named + "/nonexistent/DirectOutput.so\nLoadLibrary failed\n"},
        {none, "", false, named + "\nLoadLibrary failed\n"},
    };
    for (const auto& c : cases) {
        const std::string label =
            c.variable.value_or("(not set)") + ", registered " + c.registered.value_or("(no key)");
        nameLibrary(c.variable);
        registerLibrary(c.registered);
        clearDebugOutput();
        DirectOutputLoader loader;
        EXPECT_EQ(loader.loaded(), c.loaded) << label;
        EXPECT_EQ(debugOutput(), c.debug) << label;
        EXPECT_EQ(loader.Initialize(L"MFD"), c.loaded ? 0 : E_NOTIMPL) << label;
    }
}

TEST_F(LoaderTest, FileNameIsReadWholeUpTo4095Characters) {
    const std::string longest(4095, 'd');
    registerLibrary(longest);
    std::unique_ptr<wchar_t[]> path;
    ASSERT_TRUE(DirectOutputLoader::GetDirectOutputFileName(path));
    EXPECT_EQ(std::wstring(path.get()), std::wstring(4095, L'd'));

    registerLibrary(longest + "d");
    std::unique_ptr<wchar_t[]> tooLong;
    EXPECT_FALSE(DirectOutputLoader::GetDirectOutputFileName(tooLong));
    EXPECT_EQ(tooLong, nullptr);
}

TEST_F(LoaderTest, WrappersPassArgumentsAndResultsThrough) {
    DirectOutputLoader loader;
    ASSERT_TRUE(loader.loaded());
    EXPECT_EQ(debugOutput(), "DirectOutput.dll filename : " + virtualDisplay() + "\n");

    Arrival arrival;
    EXPECT_EQ(loader.Initialize(L"Test \u00E9"), 0);
    EXPECT_EQ(loader.RegisterDeviceChangeCallback(noteArrival, &arrival), 0);
    EXPECT_EQ(loader.Enumerate(), 0);
    // The library reports its device through the callback before Enumerate returns.
    EXPECT_EQ(arrival.calls, 1);
    EXPECT_EQ(arrival.device, kVirtualDevice);
    EXPECT_TRUE(arrival.added);
    EXPECT_EQ(arrival.context, &arrival);
    EXPECT_EQ(loader.AddPage(kVirtualDevice, 4, L"NAME", 7), 0);
    EXPECT_EQ(loader.SetString(kVirtualDevice, 4, 2, 5, L"hello"), 0);
    // Failures of the library come back unchanged.
    EXPECT_EQ(loader.SetString(kVirtualDevice, 5, 0, 1, L"x"), kInvalidArgument);

    const std::vector<std::string> expected = {"Initialize \"Test \xC3\xA9\"",
                                               "RegisterDeviceChangeCallback",
                                               "Enumerate",
                                               "AddPage 0x1 4 \"NAME\" 7",
                                               "SetString 0x1 4 2 5 \"hello\"",
                                               "SetString 0x1 5 0 1 \"x\""};
    EXPECT_EQ(recordLines(), expected);
}

TEST_F(LoaderTest, MissingEntryPointsFailOnlyTheirOwnWrapper) {
    registerLibrary(partialDisplay());
    DirectOutputLoader loader;
    ASSERT_TRUE(loader.loaded());
    Arrival arrival;
    // The partial library answers 1 from every entry point it has.
    EXPECT_EQ(wrapperResults(loader, &arrival), (std::vector<int32_t>{1, 1, 1, 1, E_NOTIMPL}));
    EXPECT_EQ(arrival.calls, 1);
}

TEST_F(LoaderTest, ReportResultWritesFailuresOnly) {
    const std::tuple<int32_t, std::string, std::string> cases[] = {
        {E_NOTIMPL, "SetString", "SetString returned hr = 80004001\n"},
        {static_cast<int32_t>(0x80070006u), "AddPage", "AddPage returned hr = 80070006\n"},
        {INT32_MIN, "Enumerate", "Enumerate returned hr = 80000000\n"},
        {-1, "RegisterDeviceChangeCallback",
         "RegisterDeviceChangeCallback returned hr = FFFFFFFF\n"},
        {0, "SetString", ""},
        {1, "SetString", ""},
        {INT32_MAX, "SetString", ""},
        // The line is cut to its 1024-byte buffer, terminator included.
        {E_NOTIMPL, std::string(2000, 'x'), std::string(1023, 'x')},
    };
    for (const auto& [result, operation, debug] : cases) {
        clearDebugOutput();
        DirectOutputLoader::reportResult(result, operation.c_str());
        EXPECT_EQ(debugOutput(), debug) << result;
    }
}

// Windows hands back a value's own bytes, of any count; the POSIX stand-in
// holds text, so there only the text rows apply.
TEST_F(LoaderTest, AnyByteCountGivesATerminatedPath) {
    // The value's type and length, whether it is REG_BINARY, its bytes, and the path read.
    const std::tuple<const char*, bool, std::string, std::wstring> cases[] = {
        // Three characters and half of a fourth.
        {"REG_BINARY of 7 bytes", true, std::string("C\0:\0\\\0X", 7), L"C:\\X"},
        // Text written with an odd length: without its terminator, and with
        // half of it.
        {"REG_SZ of 9 bytes", false, std::string("D\0:\0\\\0d\0l", 9), L"D:\\dl"},
        {"REG_SZ of 11 bytes", false, std::string("a\0.\0d\0l\0l\0\0", 11), L"a.dll"},
        // The usual case: the text and its terminator.
        {"REG_SZ of 12 bytes", false, std::string("a\0.\0d\0l\0l\0\0\0", 12), L"a.dll"},
        {"REG_BINARY of 1 byte", true, std::string("Z", 1), L"Z"},
    };
    for (const auto& [name, binary, bytes, expected] : cases) {
        SCOPED_TRACE(name);
#ifdef _WIN32
        registry_->storeBytes(bytes, binary);
#else
        if (binary || bytes.size() % 2 != 0) {
            continue;
        }
        registry_->storeBytes(platform::toUtf8(expected), false);
#endif
        std::unique_ptr<wchar_t[]> path;
        ASSERT_TRUE(DirectOutputLoader::GetDirectOutputFileName(path));
#ifdef _WIN32
        // The block that the C runtime allocated for the path holds a zero
        // right after it, so a reader never runs past the block.
        const size_t room = _msize(path.get()) / sizeof(wchar_t);
        ASSERT_GT(room, expected.size());
        EXPECT_EQ(path[expected.size()], L'\0');
#endif
        EXPECT_EQ(std::wstring(path.get()), expected);
    }
}

}  // namespace
}  // namespace testsupport
