#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/xml_reader.h"
#include "device/mfd.h"
#include "display/flight_values.h"
#include "simlink/il2connection.h"

namespace {

TEST(Startup, WatchesOnlyTheValuesThatALineShows) {
    const std::vector<TemplateToken> tmpl = {{"speedometer_indicated", "IAS", "", ""},
                                             {"azimuth", "HDG", "", ""},
                                             {"fuel", "", "", ""},
                                             {"plane", "", "", ""},
                                             {"no_such_value", "", "", ""},
                                             {"speedometer_indicated", "", "kn", ""}};
    EXPECT_EQ(shownValues(tmpl), valueBit(*flightValueNamed("speedometer_indicated")) |
                                     valueBit(*flightValueNamed("plane")));
}

// Users and their scripts know the program by these lines; the other tests
// use the names, so each text is read here once, as the program prints it.
TEST(FatalMessages, ReadAsTheProgramPrintsThem) {
    const struct {
        std::string named;
        const char* printed;
    } messages[] = {
        {kReadErrorMessage, "Read error"},
        {cannotOpenConfigMessage("No such file or directory", "C:\\Flight", true),
         "Cannot open config.xml : No such file or directory (looked in C:\\Flight)\n"
         "There is a config.xml.txt: rename it to config.xml (Windows hides known extensions "
         "such as .txt, so it shows as config.xml)"},
        {cannotOpenConfigMessage("Permission denied", "", false),
         "Cannot open config.xml : Permission denied"},
        {kParseErrorHeading, "Parse error :"},
        {kNoParserMessage, "Couldn't allocate memory for parser"},
        {addressTooLongMessage("127.000.000.001"),
         "ipAddress \"127.000.000.001\" in config.xml is too long for an IPv4 address"},
        {noPortMessage(), "No port for il2host in config.xml"},
        {socketStartupMessage(10091), "WSAStartup error : 10091"},
        {cannotResolveMessage("localhost", 11001), "Cannot resolve localhost. Error : 11001"},
        {cannotOpenSocketMessage(10024), "Cannot open socket. Error :10024"},
        {cannotConnectMessage(10049), "Cannot connect socket to server. Error : 10049"},
        {transferFailedMessage("send", -3), "send() failed with error : -3"},
        {transferFailedMessage("recv", 10040), "recv() failed with error : 10040"},
        {kInitializeFailedMessage, "Failed to initialize DirectOutput, press any key to quit"},
        {kNoDeviceMessage, "No DirectOutput devices found, press any key to quit"},
    };
    for (const auto& m : messages) {
        EXPECT_EQ(m.named, m.printed);
    }
}

}  // namespace
