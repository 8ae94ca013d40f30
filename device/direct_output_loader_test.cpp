#include "device/direct_output_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/device_test_fixture.h"

namespace {

// The loader finds the library through the registry, as the program does
// without FLIGHTMFD_DISPLAY_LIBRARY.
class LoaderTest : public DeviceTest {
  protected:
    LoaderTest() {
        nameLibrary(nullptr);
        registerLibrary(VIRTUALMFD_PATH);
    }

    // Makes `path` the registered library; an empty path removes the whole key.
    void registerLibrary(const std::string& path) {
        if (path.empty()) {
            std::filesystem::remove_all(file("registry"));
        } else {
            registerValue(path + "\n");
        }
    }
    // Stores `bytes` as they are as the registry value of the library's path.
    void registerValue(const std::string& bytes) {
        testsupport::writeRegistryEntry(file("registry"), bytes);
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
    registerLibrary("");
    DirectOutputLoader loader;
    EXPECT_FALSE(loader.loaded());
    EXPECT_EQ(debugOutput(), "GetDirectOutputFileName failed\n");
    Arrival arrival;
    EXPECT_EQ(wrapperResults(loader, &arrival), std::vector<int32_t>(5, E_NOTIMPL));
    EXPECT_EQ(arrival.calls, 0);
    EXPECT_TRUE(recordLines().empty());
}

TEST_F(LoaderTest, ALibraryThatCannotBeLoadedIsNamedThenReported) {
    const struct {
        std::string value;
        std::string debug;
    } cases[] = {
        {"/nonexistent/DirectOutput.so\n",
         "DirectOutput.dll filename : /nonexistent/DirectOutput.so\nLoadLibrary failed\n"},
        // An empty value names no library (the dynamic loader would take it for the program).
        {"", "DirectOutput.dll filename : \nLoadLibrary failed\n"},
    };
    for (const auto& c : cases) {
        clearDebugOutput();
        registerValue(c.value);
        DirectOutputLoader loader;
        EXPECT_FALSE(loader.loaded());
        EXPECT_EQ(debugOutput(), c.debug);
        EXPECT_EQ(loader.Initialize(L"MFD"), E_NOTIMPL);
    }
}

TEST_F(LoaderTest, DisplayLibraryVariableTakesThePlaceOfTheRegistry) {
    const std::string named = "DirectOutput.dll filename : ";
    const struct {
        const char* variable;  // null: not set
        const char* registered;
        bool loaded;
        std::string debug;
    } cases[] = {
        // No registry entry at all: the variable alone names the library.
        {VIRTUALMFD_PATH, "", true, named + VIRTUALMFD_PATH "\n"},
        // It wins over the registry, also when its library cannot be loaded.
        {"/nonexistent/libvirtualmfd.so", VIRTUALMFD_PATH, false,
         named + "/nonexistent/libvirtualmfd.so\nLoadLibrary failed\n"},
        // A path in double quotes is the path without them.
        {"\"" VIRTUALMFD_PATH "\"", "", true, named + VIRTUALMFD_PATH "\n"},
        {" \"/nonexistent/my lib.so\" ", VIRTUALMFD_PATH, false,
         named + "/nonexistent/my lib.so\nLoadLibrary failed\n"},
        // Empty is as if not set: the registry decides.
        {"", VIRTUALMFD_PATH, true, named + VIRTUALMFD_PATH "\n"},
        {"", "", false, "GetDirectOutputFileName failed\n"},
        {nullptr, "", false, "GetDirectOutputFileName failed\n"},
    };
    for (const auto& c : cases) {
        const std::string label = c.variable != nullptr ? c.variable : "(not set)";
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
    EXPECT_EQ(debugOutput(), "DirectOutput.dll filename : " VIRTUALMFD_PATH "\n");

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
    registerLibrary(PARTIALMFD_PATH);
    DirectOutputLoader loader;
    ASSERT_TRUE(loader.loaded());
    Arrival arrival;
    // The partial library answers 1 from every entry point it has.
    EXPECT_EQ(wrapperResults(loader, &arrival), (std::vector<int32_t>{1, 1, 1, 1, E_NOTIMPL}));
    EXPECT_EQ(arrival.calls, 1);
}

TEST_F(LoaderTest, ReportResultWritesFailuresOnly) {
    const struct {
        int32_t result;
        std::string operation;
        std::string debug;
    } cases[] = {
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
    for (const auto& c : cases) {
        clearDebugOutput();
        DirectOutputLoader::reportResult(c.result, c.operation.c_str());
        EXPECT_EQ(debugOutput(), c.debug) << c.result;
    }
}

}  // namespace
