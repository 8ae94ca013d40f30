#include "config/configuration.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

// One run of readConfiguration over a document, with the address buffer and the
// port as the start-up makes them (zero-filled; the port set to a marker).
struct Configured {
    explicit Configured(const std::string& document) {
        memset(buffer, 0x55, sizeof buffer);
        memset(buffer, 0, kAddressBufferSize);
        XMLNode root = parseXml(document.data(), static_cast<int32_t>(document.size()), 1);
        char* address = buffer;
        tokens = readConfiguration(root, address, port, &report);
        EXPECT_EQ(address, buffer);
        for (size_t i = kAddressBufferSize; i < sizeof buffer; ++i) {
            EXPECT_EQ(buffer[i], 0x55) << "written past the address buffer at " << i;
        }
    }

    char buffer[kAddressBufferSize + 8];
    uint16_t port = 4242;
    ConfigurationReport report;
    std::vector<TemplateToken> tokens;
};

// The tokens' value name, prefix, unit and suffix, in order.
void expectTokens(const std::vector<TemplateToken>& tokens,
                  const std::vector<std::vector<std::string>>& expected) {
    ASSERT_EQ(tokens.size(), expected.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        EXPECT_EQ((std::vector<std::string>{tokens[i].valueName, tokens[i].prefix, tokens[i].unit,
                                            tokens[i].suffix}),
                  expected[i])
            << "token " << i;
    }
}

TEST(Configuration, ReadsTheExampleDocument) {
    Configured c(
        "<config>\n"
        "  <il2host ipAddress=\"127.0.0.1\" port=\"1000\"/>\n"
        "  <line unit=\"kmph\">speedometer_indicated</line>\n"
        "  <line prefix=\"ALT\" unit=\"ft\">altimeter</line>\n"
        "  <line>plane</line>\n"
        "</config>");
    expectTokens(c.tokens, {{"speedometer_indicated", "", "kmph", ""},
                            {"altimeter", "ALT", "ft", ""},
                            {"plane", "", "", ""}});
    EXPECT_STREQ(c.buffer, "127.0.0.1");
    EXPECT_EQ(c.port, 1000);
    EXPECT_TRUE(c.report.portFound);
    EXPECT_FALSE(c.report.addressTooLong);
}

TEST(Configuration, OnlyDirectChildrenNamedExactlyCount) {
    Configured c(
        "<line a=\"b\" prefix=\"P\">\n"
        "  <il2host ipAddress=\"10.0.0.1\" port=\"1\"/>\n"
        "  <Line>speed</Line>\n"
        "  <IL2HOST ipAddress=\"10.0.0.2\" port=\"2\"/>\n"
        "  <il2host IPADDRESS=\"10.0.0.3\" Port=\"3\"/>\n"
        "  <other><line>nested</line></other>\n"
        "  <line Prefix=\"x\" SUFFIX=\"y\" suffix=\"m/s\">variometer<line>inner</line> </line>\n"
        "  <line/>\n"
        "  <line>altimeter </line>\n"
        "</line>");
    expectTokens(c.tokens,
                 {{"variometer", "", "", "m/s"}, {"", "", "", ""}, {"altimeter ", "", "", ""}});
    EXPECT_STREQ(c.buffer, "10.0.0.1");
    EXPECT_EQ(c.port, 1);
}

TEST(Configuration, RootIsNeverInterpreted) {
    Configured c("<il2host ipAddress=\"10.0.0.1\" port=\"1\">plane</il2host>");
    EXPECT_TRUE(c.tokens.empty());
    EXPECT_STREQ(c.buffer, "");
    EXPECT_EQ(c.port, 4242);
    EXPECT_FALSE(c.report.portFound);
}

TEST(Configuration, LaterHostAttributesReplaceEarlierOnes) {
    Configured c(
        "<c><il2host ipAddress=\"10.0.0.1\" port=\"1000\"/><line>plane</line>"
        "<il2host port=\"2000\"/><il2host ipAddress=\"10.0.0.2\"/></c>");
    EXPECT_STREQ(c.buffer, "10.0.0.2");
    EXPECT_EQ(c.port, 2000);
    ASSERT_EQ(c.tokens.size(), 1u);
}

TEST(Configuration, PortTexts) {
    const std::pair<const char*, uint16_t> cases[] = {
        {"20010", 20010},
        {"65535", 65535},
        {"65536", 0},
        {"-1", 65535},
        {"x1", 0},
        {"12ab", 12},
        {"", 0},
        {" \t+7", 7},
        {"- 5", 0},
        {"-65535", 1},
        {"70000", 4464},
        {"4294967297", 1},
        {"99999999999999999999999", 65535},
    };
    for (const auto& [text, port] : cases) {
        Configured configured("<c><il2host port=\"" + std::string(text) + "\"/></c>");
        EXPECT_EQ(configured.port, port) << '"' << text << '"';
        EXPECT_TRUE(configured.report.portFound);
    }
}

TEST(Configuration, AddressLengths) {
    const std::pair<const char*, bool> cases[] = {
        {"192.168.1.1", true},        // 11 characters
        {"192.168.100.200", true},    // 15, the longest dotted IPv4 address
        {"192.168.100.2000", false},  // 16: no room for the NUL
        {"a.very.long.host.name.example", false},
    };
    for (const auto& [address, fits] : cases) {
        Configured configured("<c><il2host ipAddress=\"" + std::string(address) + "\"/></c>");
        EXPECT_EQ(configured.report.addressTooLong, !fits) << address;
        EXPECT_STREQ(configured.buffer, fits ? address : "") << address;
        EXPECT_EQ(configured.report.rejectedAddress, fits ? "" : address);
        EXPECT_FALSE(configured.report.portFound);
        EXPECT_EQ(configured.port, 4242);
    }
}

TEST(Configuration, TooLongAddressStaysReportedAfterAGoodOne) {
    Configured c(
        "<c><il2host ipAddress=\"10.0.0.1\"/>"
        "<il2host ipAddress=\"1234567890.1234567\"/>"
        "<il2host ipAddress=\"10.0.0.2\"/>"
        "<il2host ipAddress=\"another.too.long.one\"/></c>");
    EXPECT_STREQ(c.buffer, "10.0.0.2");
    EXPECT_TRUE(c.report.addressTooLong);
    EXPECT_EQ(c.report.rejectedAddress, "1234567890.1234567");
}

}  // namespace
