#include "device/mfd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/support/device_fixture.h"

namespace testsupport {
namespace {

void* const kVirtualDevice = reinterpret_cast<void*>(uintptr_t{1});
const std::string kStarted = "Initialization MFD OK\n";

class MfdTest : public DeviceTest {
  protected:
    // Each test starts without a device, as the program does.
    MfdTest() { MFD::deviceHandle = nullptr; }

    // The debugger output's line that names the virtual display.
    static std::string namedLine() {
        return "DirectOutput.dll filename : " + virtualDisplay() + "\n";
    }

    // The record from the call after start-up on.
    std::vector<std::string> callsAfterStartup() const {
        std::vector<std::string> lines = recordLines();
        return std::vector<std::string>(lines.begin() + std::min<size_t>(4, lines.size()),
                                        lines.end());
    }
};

TEST_F(MfdTest, StartupTalksToTheLibraryInOrder) {
    testing::internal::CaptureStdout();
    MFD mfd;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kStarted);
    const std::vector<std::string> expected = {"Initialize \"MFD\"", "RegisterDeviceChangeCallback",
                                               "Enumerate", "AddPage 0x1 0 \"PAGE00\" 1"};
    EXPECT_EQ(recordLines(), expected);
    EXPECT_EQ(MFD::deviceHandle.load(), kVirtualDevice);
    EXPECT_EQ(MFD::lastResult, 0);
    // Nothing failed, so the debugger output holds only the library's name.
    EXPECT_EQ(debugOutput(), namedLine());
}

TEST_F(MfdTest, PagesAreAddedInOrderWhenFirstWritten) {
    testing::internal::CaptureStdout();
    MFD mfd;
    mfd.setString(2, 0, "two");
    mfd.setString(1, 2, "one");
    mfd.setString(0, 1, "zero");
    mfd.setString(11, 2, "far");  // beyond the nine pages that 27 lines need
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kStarted);
    const std::vector<std::string> expected = {
        "AddPage 0x1 1 \"PAGE01\" 0",   "AddPage 0x1 2 \"PAGE02\" 0",
        "SetString 0x1 2 0 3 \"two\"",  "SetString 0x1 1 2 3 \"one\"",
        "SetString 0x1 0 1 4 \"zero\"", "AddPage 0x1 3 \"PAGE03\" 0",
        "AddPage 0x1 4 \"PAGE04\" 0",   "AddPage 0x1 5 \"PAGE05\" 0",
        "AddPage 0x1 6 \"PAGE06\" 0",   "AddPage 0x1 7 \"PAGE07\" 0",
        "AddPage 0x1 8 \"PAGE08\" 0",   "AddPage 0x1 9 \"PAGE09\" 0",
        "AddPage 0x1 10 \"PAGE10\" 0",  "AddPage 0x1 11 \"PAGE11\" 0",
        "SetString 0x1 11 2 3 \"far\""};
    EXPECT_EQ(callsAfterStartup(), expected);
    EXPECT_STREQ(mfd.storedText(2, 0), "two");
    EXPECT_STREQ(mfd.storedText(11, 2), "far");
    EXPECT_EQ(mfd.storedText(2, 1), nullptr);
    EXPECT_EQ(mfd.storedText(12, 0), nullptr);
}

TEST_F(MfdTest, EveryWriteReachesTheDeviceWithItsWideLength) {
    testing::internal::CaptureStdout();
    MFD mfd;
    const char* texts[] = {"ALT 1000.0 ft", "ALT 1000.0 ft", "", "12345678901234567890",
                           // UTF-8, and a byte that is not.
                           "\xC3\xA9l\xC3\xA9v D\351fi"};
    for (const char* text : texts) {
        mfd.setString(0, 0, text);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kStarted);
    const std::vector<std::string> expected = {
        "SetString 0x1 0 0 13 \"ALT 1000.0 ft\"", "SetString 0x1 0 0 13 \"ALT 1000.0 ft\"",
        "SetString 0x1 0 0 0 \"\"", "SetString 0x1 0 0 20 \"12345678901234567890\"",
        "SetString 0x1 0 0 9 \"\xC3\xA9l\xC3\xA9v D\xEF\xBF\xBD"
        "fi\""};
    EXPECT_EQ(callsAfterStartup(), expected);
}

TEST_F(MfdTest, IndicesOutsideTheDisplayAreIgnored) {
    testing::internal::CaptureStdout();
    MFD mfd;
    mfd.setString(-1, 0, "x");
    mfd.setString(0, -1, "x");
    mfd.setString(0, 3, "x");
    mfd.setString(1, 3, "x");
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(callsAfterStartup().empty());
}

TEST_F(MfdTest, AFailedWriteIsPrintedReportedAndKept) {
    setSwitch("VIRTUALMFD_FAIL_SETSTRING");
    testing::internal::CaptureStdout();
    MFD mfd;
    mfd.setString(0, 2, "kept");
    mfd.setString(0, 2, "kept");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              kStarted +
                  "setString failed. error : -2147467263\n"
                  "setString failed. error : -2147467263\n");
    EXPECT_EQ(debugOutput(), namedLine() +
                                 "SetString returned hr = 80004001\n"
                                 "SetString returned hr = 80004001\n");
    EXPECT_EQ(MFD::lastResult, E_NOTIMPL);
    EXPECT_STREQ(mfd.storedText(0, 2), "kept");
    EXPECT_EQ(callsAfterStartup().size(), 2u);
}

TEST_F(MfdTest, AfterTheDeviceLeavesWritesGoOnWithoutIt) {
    testing::internal::CaptureStdout();
    MFD mfd;
    MFD::onDeviceChange(kVirtualDevice, false, nullptr);
    mfd.setString(1, 0, "gone");
    // The library refuses the null handle (E_HANDLE); page 1 counts as created all the same.
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              kStarted + "setString failed. error : -2147024890\n");
    EXPECT_EQ(debugOutput(), namedLine() +
                                 "AddPage returned hr = 80070006\n"
                                 "SetString returned hr = 80070006\n");
    const std::vector<std::string> expected = {"AddPage 0x0 1 \"PAGE01\" 0",
                                               "SetString 0x0 1 0 4 \"gone\""};
    EXPECT_EQ(callsAfterStartup(), expected);

    // A device arrives: every page created so far is added to it before the
    // next text, then the pages not yet created as they are written. (The
    // virtual display never really left here, so it refuses page 0 as
    // already added, which is only reported.)
    MFD::onDeviceChange(kVirtualDevice, true, nullptr);
    clearDebugOutput();
    testing::internal::CaptureStdout();
    mfd.setString(1, 1, "back");
    mfd.setString(2, 0, "new");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(debugOutput(), "AddPage returned hr = 80070057\n");
    const std::vector<std::string> afterArrival = {
        "AddPage 0x1 0 \"PAGE00\" 1", "AddPage 0x1 1 \"PAGE01\" 0", "SetString 0x1 1 1 4 \"back\"",
        "AddPage 0x1 2 \"PAGE02\" 0", "SetString 0x1 2 0 3 \"new\""};
    std::vector<std::string> calls = callsAfterStartup();
    ASSERT_EQ(calls.size(), 2u + afterArrival.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 2, calls.end()), afterArrival);
}

TEST_F(MfdTest, ARepluggedDeviceGetsItsPagesBackWhileTextsAreWritten) {
    // The virtual display unplugs its device and plugs in a new one on a
    // thread of its own, while this thread writes as refreshMFDThread does.
    setSwitch("VIRTUALMFD_REPLUG_SECONDS");
    setSwitch("VIRTUALMFD_RECORD_RESULT");
    testing::internal::CaptureStdout();
    {
        MFD mfd;
        void* const replugged = reinterpret_cast<void*>(uintptr_t{2});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (MFD::deviceHandle.load() != replugged &&
               std::chrono::steady_clock::now() < deadline) {
            for (int32_t page = 0; page < 2; ++page) {
                for (int32_t line = 0; line < MFD::kLinesPerPage; ++line) {
                    mfd.setString(page, line, ("text " + std::to_string(page * 3 + line)).c_str());
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(MFD::deviceHandle.load(), replugged);
        for (int32_t line = 0; line < MFD::kLinesPerPage; ++line) {
            mfd.setString(1, line, "again");
        }
#ifdef _WIN32
        // The library's thread cannot end while Windows unloads the library,
        // as the MFD's end does: the thread stops first.
        platform::LibraryHandle library = loadDisplay(virtualDisplay());
        reinterpret_cast<DirectOutputDeinitializeFn>(
            platform::findSymbol(library, entryPointName(DirectOutputEntry::Deinitialize)))();
        platform::freeLibrary(library);
#endif
    }
    testing::internal::GetCapturedStdout();
    // Every call to the new device succeeds, its pages first.
    std::vector<std::string> calls;
    for (const std::string& line : recordLines()) {
        if (line.find(" 0x2 ") != std::string::npos && line.rfind("DeviceChange", 0) != 0) {
            calls.push_back(line);
        }
    }
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[0], "AddPage 0x2 0 \"PAGE00\" 1 -> 00000000");
    EXPECT_EQ(calls[1], "AddPage 0x2 1 \"PAGE01\" 0 -> 00000000");
    for (size_t i = 2; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].rfind("SetString 0x2 ", 0), 0u) << calls[i];
        EXPECT_EQ(calls[i].substr(calls[i].size() - 12), " -> 00000000") << calls[i];
    }
    EXPECT_EQ(calls.back(), "SetString 0x2 1 2 5 \"again\" -> 00000000");
}

TEST_F(MfdTest, ATextGoesOnlyToADeviceThatHasItsPages) {
    // The library stores a new device's handle on a thread of its own. Seen
    // before its count, as here, it still gets every page before the text.
    testing::internal::CaptureStdout();
    MFD mfd;
    mfd.setString(1, 0, "one");
    MFD::deviceHandle.store(reinterpret_cast<void*>(uintptr_t{2}));
    mfd.setString(1, 1, "two");
    testing::internal::GetCapturedStdout();
    const std::vector<std::string> expected = {
        "AddPage 0x1 1 \"PAGE01\" 0", "SetString 0x1 1 0 3 \"one\"", "AddPage 0x2 0 \"PAGE00\" 1",
        "AddPage 0x2 1 \"PAGE01\" 0", "SetString 0x2 1 1 3 \"two\""};
    EXPECT_EQ(callsAfterStartup(), expected);
}

TEST_F(MfdTest, ALibraryLackingSetStringStillStarts) {
    nameLibrary(partialDisplay());
    testing::internal::CaptureStdout();
    MFD mfd;
    mfd.setString(0, 0, "x");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              kStarted + "setString failed. error : -2147467263\n");
    EXPECT_EQ(MFD::deviceHandle.load(), reinterpret_cast<void*>(uintptr_t{2}));
}

TEST(MfdDeviceChange, TheFirstDeviceWinsUntilItLeaves) {
    void* const a = reinterpret_cast<void*>(uintptr_t{0xA});
    void* const b = reinterpret_cast<void*>(uintptr_t{0xB});
    // The device, whether it arrives or leaves, and the device in use afterwards.
    const std::tuple<void*, bool, void*> events[] = {
        {a, false, nullptr},  // a removal while none is held
        {a, true, a},         // the first arrival wins
        {b, true, a},         // a later one is ignored
        {b, false, a},        // so is the removal of another device
        {a, true, a},         // and a repeated arrival of ours
        {a, false, nullptr},  // the removal of ours clears it
        {b, true, b},         // and the next arrival wins
    };
    MFD::deviceHandle = nullptr;
    for (const auto& [device, added, held] : events) {
        MFD::onDeviceChange(device, added, nullptr);
        EXPECT_EQ(MFD::deviceHandle.load(), held) << device << (added ? " added" : " removed");
    }
    MFD::deviceHandle = nullptr;
}

}  // namespace
}  // namespace testsupport
