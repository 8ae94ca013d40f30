// Choosing the display library by FLIGHTMFD_DISPLAY_LIBRARY instead of the
// registry: the whole system with no registry entry at all.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/system_fixture.h"
#include "tools/flightmfd_sim/answers.h"
#include "tools/flightmfd_sim/udp_endpoint.h"

namespace testsupport {
namespace {

using DisplayLibraryTest = SystemTest;

// The fixture names the library by the variable and makes no registry entry.
TEST_F(DisplayLibraryTest, TheVariableAloneNamesTheLibrary) {
    UdpEndpoint peer(0);
    writeConfig(configXml("127.0.0.1", std::to_string(peer.port()),
                          {{"speedometer_indicated", "prefix=\"IAS\""}}));
    start();
    ASSERT_TRUE(waitForOutput("Initialization MFD OK\n")) << program().output();
    EXPECT_TRUE(waitUntil(10, [&] {
        while (auto query = peer.receive(10)) {
            if (queryCode(*query) == 30) {
                peer.reply(answerFor(30, "250.0"));
            }
        }
        return shownText(0, 0) == "IAS 250.0 kmph";
    })) << record();
    EXPECT_EQ(debugOutput(), "DirectOutput.dll filename : " + virtualDisplayPath() + "\n");
}

// A path copied from Explorer comes in double quotes, which the program takes off.
TEST_F(DisplayLibraryTest, TheVariableMayNameItInDoubleQuotes) {
    environment_["FLIGHTMFD_DISPLAY_LIBRARY"] = "\"" + virtualDisplayPath() + "\"";
    UdpEndpoint peer(0);
    writeConfig(configXml("127.0.0.1", std::to_string(peer.port()), {}));
    start();
    EXPECT_TRUE(waitForOutput("Initialization MFD OK\n")) << program().output();
    EXPECT_EQ(debugOutput(), "DirectOutput.dll filename : " + virtualDisplayPath() + "\n");
}

}  // namespace
}  // namespace testsupport
