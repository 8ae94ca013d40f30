// Choosing the display library by FLIGHTMFD_DISPLAY_LIBRARY instead of the
// registry: the whole system with no registry entry at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/system_fixture.h"
#include "tests/support/udp_peer.h"

namespace testsupport {
namespace {

using DisplayLibraryTest = SystemTest;

TEST_F(DisplayLibraryTest, TheVariableAloneNamesTheLibrary) {
    UdpPeer peer;
    std::filesystem::remove_all(folder_.file("registry"));
    environment_["FLIGHTMFD_DISPLAY_LIBRARY"] = VIRTUALMFD_PATH;
    writeConfig(configXml("127.0.0.1", std::to_string(peer.port()),
                          {{"speedometer_indicated", "prefix=\"IAS\""}}));
    start();
    ASSERT_TRUE(waitForOutput("Initialization MFD OK\n")) << program().output();
    EXPECT_TRUE(waitUntil(10, [&] {
        while (auto query = peer.receive(0.01)) {
            if (*query == "R/30") {
                peer.reply("A/30\\250.0");
            }
        }
        return shownText(0, 0) == "IAS 250.0 kmph";
    })) << record();
    EXPECT_EQ(debugOutput(), "DirectOutput.dll filename : " VIRTUALMFD_PATH "\n");
}

}  // namespace
}  // namespace testsupport
