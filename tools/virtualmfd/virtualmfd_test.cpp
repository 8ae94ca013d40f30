// The virtual display as the program meets it: loaded at run time and called
// through its exported entry points.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "device/direct_output.h"
#include "tests/support/device_fixture.h"

namespace testsupport {
namespace {

using Entry = DirectOutputEntry;
void* const kDevice = reinterpret_cast<void*>(uintptr_t{1});
constexpr int32_t kFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kBadHandle = static_cast<int32_t>(0x80070006u);
constexpr int32_t kBadArgument = static_cast<int32_t>(0x80070057u);

// What the device-change callback heard; filled from any thread.
struct Changes {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> events;

    static void DIRECTOUTPUT_CALL note(void* device, bool added, void* context) {
        auto* self = static_cast<Changes*>(context);
        std::lock_guard<std::mutex> lock(self->mutex);
        self->events.push_back(std::to_string(reinterpret_cast<uintptr_t>(device)) +
                               (added ? " added" : " removed"));
        self->changed.notify_all();
    }

    std::vector<std::string> heard() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    // True once `count` events arrived, false after a generous deadline.
    bool waitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20),
                                [&] { return events.size() >= count; });
    }
};

// Loads the virtual display afresh for each test, with a record file of the
// test's own and the environment switches that the test sets beforehand.
class VirtualMfdTest : public DeviceTest {
  protected:
    ~VirtualMfdTest() override { unload(); }

    // Loads the library, which exports every entry point of the one list.
    void load() {
        library_ = loadDisplay(virtualDisplay());
        ASSERT_NE(library_, nullptr);
        for (const char* name : kDirectOutputEntryPoints) {
            ASSERT_NE(platform::findSymbol(library_, name), nullptr) << name;
        }
        initialize = bound<DirectOutputInitializeFn>(Entry::Initialize);
        deinitialize = bound<DirectOutputDeinitializeFn>(Entry::Deinitialize);
        registerDeviceChange =
            bound<DirectOutputRegisterDeviceChangeCallbackFn>(Entry::RegisterDeviceChangeCallback);
        enumerate = bound<DirectOutputEnumerateFn>(Entry::Enumerate);
        addPage = bound<DirectOutputAddPageFn>(Entry::AddPage);
        setString = bound<DirectOutputSetStringFn>(Entry::SetString);
    }

    template <typename Function>
    Function bound(DirectOutputEntry entry) const {
        return reinterpret_cast<Function>(platform::findSymbol(library_, entryPointName(entry)));
    }

    void unload() {
        if (library_ != nullptr) {
            platform::freeLibrary(library_);
            library_ = nullptr;
        }
    }

    // Initialize, callback and Enumerate, as the program starts.
    void start(Changes* changes) {
        ASSERT_NO_FATAL_FAILURE(load());
        ASSERT_EQ(initialize(L"MFD"), 0);
        ASSERT_EQ(registerDeviceChange(&Changes::note, changes), 0);
        ASSERT_EQ(enumerate(), 0);
    }

    DirectOutputInitializeFn initialize = nullptr;
    DirectOutputDeinitializeFn deinitialize = nullptr;
    DirectOutputRegisterDeviceChangeCallbackFn registerDeviceChange = nullptr;
    DirectOutputEnumerateFn enumerate = nullptr;
    DirectOutputAddPageFn addPage = nullptr;
    DirectOutputSetStringFn setString = nullptr;

  private:
    platform::LibraryHandle library_ = nullptr;
};

// The build reads the entry points' names for the package check from the one
// list, whole and in order.
TEST(EntryPoints, TheBuildReadsTheOneList) {
    std::string names;
    for (const char* name : kDirectOutputEntryPoints) {
        names += (names.empty() ? "" : ",") + std::string(name);
    }
    EXPECT_EQ(names, ENTRY_POINTS_READ);
}

TEST_F(VirtualMfdTest, RecordsEveryCallOnItsOwnLine) {
    Changes changes;
    start(&changes);
    // The device was reported before Enumerate returned.
    EXPECT_EQ(changes.heard(), std::vector<std::string>{"1 added"});
    EXPECT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    EXPECT_EQ(setString(kDevice, 0, 1, 14, L"IAS 120.0 kmph"), 0);
    EXPECT_EQ(setString(kDevice, 0, 2, 3, L"\"\\\nxyz"), 0);
    // Those that the program never calls record their names alone.
    EXPECT_EQ(bound<DirectOutputGetDeviceTypeFn>(Entry::GetDeviceType)(kDevice, nullptr), 0);
    EXPECT_EQ(bound<DirectOutputGetDeviceInstanceFn>(Entry::GetDeviceInstance)(kDevice, nullptr),
              0);
    EXPECT_EQ(bound<DirectOutputRegisterSoftButtonChangeCallbackFn>(
                  Entry::RegisterSoftButtonChangeCallback)(kDevice, nullptr, nullptr),
              0);
    EXPECT_EQ(bound<DirectOutputRegisterPageChangeCallbackFn>(Entry::RegisterPageChangeCallback)(
                  kDevice, nullptr, nullptr),
              0);
    EXPECT_EQ(bound<DirectOutputRemovePageFn>(Entry::RemovePage)(kDevice, 0), 0);
    EXPECT_EQ(bound<DirectOutputSetLedFn>(Entry::SetLed)(kDevice, 0, 0, 1), 0);
    EXPECT_EQ(bound<DirectOutputSetImageFn>(Entry::SetImage)(kDevice, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(bound<DirectOutputSetProfileFn>(Entry::SetProfile)(kDevice, 0, nullptr), 0);
    EXPECT_EQ(deinitialize(), 0);
    std::vector<std::string> expected = {"Initialize \"MFD\"",
                                         "RegisterDeviceChangeCallback",
                                         "Enumerate",
                                         "AddPage 0x1 0 \"PAGE00\" 1",
                                         "SetString 0x1 0 1 14 \"IAS 120.0 kmph\"",
                                         "SetString 0x1 0 2 3 \"\\\"\\\\\\n\""};
    for (size_t k = kCalledEntryPointCount + 1; k < kDirectOutputEntryPointCount; ++k) {
        expected.push_back(
            std::string(kDirectOutputEntryPoints[k]).substr(std::strlen("DirectOutput_")));
    }
    expected.push_back("Deinitialize");
    EXPECT_EQ(recordLines(), expected);
}

TEST_F(VirtualMfdTest, RefusesWhatADeviceCannotDo) {
    Changes changes;
    start(&changes);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    // What is asked, what the display answered, and what it should answer.
    const std::tuple<const char*, int32_t, int32_t> cases[] = {
        {"a page added twice", addPage(kDevice, 0, L"again", 0), kBadArgument},
        {"a page for no device", addPage(nullptr, 1, L"PAGE01", 0), kBadHandle},
        {"a text for no device", setString(nullptr, 0, 0, 1, L"x"), kBadHandle},
        {"a text for another handle", setString(&changes, 0, 0, 1, L"x"), kBadHandle},
        {"a page never added", setString(kDevice, 1, 0, 1, L"x"), kBadArgument},
        {"a fourth line", setString(kDevice, 0, 3, 1, L"x"), kBadArgument},
        {"the third line", setString(kDevice, 0, 2, 1, L"x"), 0},
        {"an empty text", setString(kDevice, 0, 2, 0, nullptr), 0},
    };
    for (const auto& [what, result, expected] : cases) {
        EXPECT_EQ(result, expected) << what;
    }
    // Every call is recorded, refused or not.
    EXPECT_EQ(recordLines().size(), 4u + std::size(cases));
}

TEST_F(VirtualMfdTest, InitializeStartsAfresh) {
    Changes changes;
    start(&changes);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    ASSERT_EQ(initialize(L"MFD"), 0);
    EXPECT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    // The callback is forgotten too.
    EXPECT_EQ(enumerate(), 0);
    EXPECT_EQ(changes.heard().size(), 1u);
}

TEST_F(VirtualMfdTest, SwitchesOfTheEnvironment) {
    setSwitch("VIRTUALMFD_NO_DEVICE");
    Changes noDevice;
    start(&noDevice);
    EXPECT_TRUE(noDevice.heard().empty());
    // No device: neither a handle nor the null one that the program passes
    // then takes a page.
    EXPECT_EQ(addPage(kDevice, 0, L"PAGE00", 1), kBadHandle);
    EXPECT_EQ(addPage(nullptr, 0, L"PAGE00", 1), kBadHandle);
    EXPECT_EQ(setString(nullptr, 0, 0, 1, L"x"), kBadHandle);
    unload();

    setSwitch("VIRTUALMFD_NO_DEVICE", "0");
    setSwitch("VIRTUALMFD_FAIL_INITIALIZE");
    load();
    EXPECT_EQ(initialize(L"MFD"), kFail);
    unload();

    setSwitch("VIRTUALMFD_FAIL_INITIALIZE", "");
    setSwitch("VIRTUALMFD_FAIL_SETSTRING");
    Changes failing;
    start(&failing);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    EXPECT_EQ(setString(kDevice, 0, 0, 1, L"x"), E_NOTIMPL);

    std::vector<std::string> lines = recordLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "SetString 0x1 0 0 1 \"x\"");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Initialize \"MFD\""), 3);
}

TEST_F(VirtualMfdTest, RecordLinesCarryTheSteadyClockWhenAsked) {
    setSwitch("VIRTUALMFD_RECORD_TIME");
    auto millis = [](std::chrono::steady_clock::time_point moment) {
        return std::chrono::duration<double, std::milli>(moment.time_since_epoch()).count();
    };
    double before = millis(std::chrono::steady_clock::now());
    Changes changes;
    start(&changes);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    ASSERT_EQ(setString(kDevice, 0, 0, 3, L"IAS"), 0);
    double after = millis(std::chrono::steady_clock::now());

    const std::vector<std::string> calls = {"Initialize \"MFD\"", "RegisterDeviceChangeCallback",
                                            "Enumerate", "AddPage 0x1 0 \"PAGE00\" 1",
                                            "SetString 0x1 0 0 3 \"IAS\""};
    std::vector<std::string> lines = recordLines();
    ASSERT_EQ(lines.size(), calls.size());
    double previous = before;
    for (size_t i = 0; i < lines.size(); ++i) {
        // "<milliseconds> <call>": the clock of this process, read in order.
        size_t space = lines[i].find(' ');
        ASSERT_NE(space, std::string::npos) << lines[i];
        double time = std::stod(lines[i].substr(0, space));
        EXPECT_GE(time, std::floor(previous)) << lines[i];
        EXPECT_LE(time, after) << lines[i];
        EXPECT_EQ(lines[i].substr(space + 1), calls[i]);
        previous = time;
    }
}

TEST_F(VirtualMfdTest, ResultsEndTheRecordLinesWhenAsked) {
    setSwitch("VIRTUALMFD_RECORD_RESULT");
    Changes changes;
    start(&changes);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), kBadArgument);
    ASSERT_EQ(setString(nullptr, 0, 0, 1, L"x"), kBadHandle);
    const std::vector<std::string> expected = {"Initialize \"MFD\" -> 00000000",
                                               "RegisterDeviceChangeCallback -> 00000000",
                                               "Enumerate -> 00000000",
                                               "AddPage 0x1 0 \"PAGE00\" 1 -> 00000000",
                                               "AddPage 0x1 0 \"PAGE00\" 1 -> 80070057",
                                               "SetString 0x0 0 0 1 \"x\" -> 80070006"};
    EXPECT_EQ(recordLines(), expected);
}

TEST_F(VirtualMfdTest, AReplugGivesANewHandleAndForgetsThePages) {
    setSwitch("VIRTUALMFD_REPLUG_SECONDS");
    Changes changes;
    start(&changes);
    ASSERT_EQ(addPage(kDevice, 0, L"PAGE00", 1), 0);
    ASSERT_EQ(setString(kDevice, 0, 0, 1, L"x"), 0);
    ASSERT_TRUE(changes.waitFor(3));
    std::vector<std::string> events = changes.heard();
    events.resize(3);
    EXPECT_EQ(events, (std::vector<std::string>{"1 added", "1 removed", "2 added"}));
    // The next unplugging is a second away: the device that came back is
    // another one, and holds nothing yet.
    void* const arrived = reinterpret_cast<void*>(uintptr_t{2});
    EXPECT_EQ(setString(kDevice, 0, 0, 1, L"x"), kBadHandle);
    EXPECT_EQ(addPage(kDevice, 1, L"PAGE01", 0), kBadHandle);
    EXPECT_EQ(setString(arrived, 0, 0, 1, L"x"), kBadArgument);
    EXPECT_EQ(addPage(arrived, 0, L"PAGE00", 1), 0);
    EXPECT_EQ(setString(arrived, 0, 0, 1, L"x"), 0);

    // Deinitialize stops the thread; nothing is called afterwards.
    EXPECT_EQ(deinitialize(), 0);
    unload();
    const size_t heard = changes.heard().size();
    std::vector<std::string> lines = recordLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[5], "DeviceChange 0x1 removed");
    EXPECT_EQ(lines[6], "DeviceChange 0x2 added");
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));
    EXPECT_EQ(changes.heard().size(), heard);
}

}  // namespace
}  // namespace testsupport
