#include "config/xml_reader.h"

#include <string>

#include <expat.h>
#include <gtest/gtest.h>

#include "config/xml_parser_factory.h"
#include "platform/process.h"

namespace {

XMLNode parse(const std::string& document, int32_t isFinal = 1) {
    return parseXml(document.data(), static_cast<int32_t>(document.size()), isFinal);
}

// The node and what it holds, as "name@line attribute=value 'text'@textLine
// {child}...".
std::string shape(const XMLNode& node) {
    std::string out = node.name.c_str() + ("@" + std::to_string(node.line));
    for (const XMLAttribute& attribute : node.attributes) {
        out += " " + std::string(attribute.name.c_str()) + "=" + attribute.value.c_str();
    }
    out += " '" + std::string(node.textOrEmpty()) + "'@" + std::to_string(node.textLine);
    for (const auto& child : node.children) {
        out += " {" + shape(*child) + "}";
    }
    return out;
}

// The pattern that matches the fatal message with expat's text for `code`.
std::string parseErrorPattern(XML_Error code) {
    return std::string("^") + kParseErrorHeading + "\n" + XML_ErrorString(code) + "\n$";
}

TEST(XmlReader, BuildsTheTreeInDocumentOrderWithItsLines) {
    XMLNode root = parse(
        "<?xml version=\"1.0\"?>\n"
        "<root first=\"1\"\n"
        "      second=\"two\">\n"
        "    <empty/>\n"
        "    own text\n"
        "    <child>\n"
        "\t child \n"
        "      text</child>\n"
        "</root>");
    // Where each start tag begins, and where the first text kept after white space is.
    EXPECT_EQ(shape(root),
              "root@2 first=1 second=two 'own text'@5 {empty@4 ''@0} {child@6 'child text'@7}");
    EXPECT_EQ(root.textLength, 8);
    EXPECT_EQ(root.children[0]->textLength, 0);
}

TEST(XmlReader, WhiteSpaceRule) {
    const char* const cases[][2] = {
        {"<a>\n    altimeter\n  </a>", "altimeter"},
        {"<a>altimeter  </a>", "altimeter  "},
        {"<a>\taltimeter</a>", "altimeter"},
        {"<a> \n\t </a>", ""},
        {"<a></a>", ""},
        {"<a/>", ""},
        // Carriage returns are not skipped; expat turns a lone one into a line feed,
        // so only a reference puts one in the text.
        {"<a>&#13;x</a>", "\rx"},
        {"<a>one\n  two</a>", "onetwo"},
        // A blank after a reference starts a piece of its own and is dropped.
        {"<a>x &amp; y</a>", "x &y"},
        {"<a>before<b>inner</b>after</a>", "beforeafter"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(parse(c[0]).textOrEmpty(), c[1]) << c[0];
    }
}

TEST(XmlReader, EntityReferencesAreReplaced) {
    EXPECT_EQ(shape(parse("<a v=\"&amp;&lt;&quot;&#65;\">&gt;&apos;</a>")), "a@1 v=&<\"A '>\''@1");
}

TEST(XmlReader, LongNamesAndValuesAreCutTo1023Characters) {
    const std::string value(1500, 'v');
    const std::string name(1500, 'n');
    XMLNode root = parse("<" + name + " a=\"" + value + "\"/>");
    EXPECT_EQ(std::string(root.attributes[0].value.c_str()), value.substr(0, 1023));
    EXPECT_EQ(std::string(root.name.c_str()), name.substr(0, 1023));

    // Between two characters: 1023 bytes would end in the middle of one.
    std::string accents;
    for (int i = 0; i < 600; ++i) {
        accents += "\xC3\xA9";
    }
    XMLNode cut = parse("<a v=\"" + accents + "\"/>");
    EXPECT_EQ(std::string(cut.attributes[0].value.c_str()), accents.substr(0, 1022));
}

TEST(XmlReader, TextHasNoLengthLimitAndGrowsToTheExactSize) {
    const std::string word(3000, 'w');
    XMLNode root = parse("<a>" + word + "</a>");
    EXPECT_EQ(std::string(root.textOrEmpty()), word);
    EXPECT_EQ(root.textLength, 3000);
    EXPECT_EQ(root.textCapacity, 3001);

    XMLNode node("n", {});
    node.appendText("abc", 3);
    EXPECT_EQ(node.textCapacity, 4);
    node.appendText("de", 2);
    EXPECT_EQ(node.textCapacity, 6);
    EXPECT_EQ(node.textLength, 5);
    EXPECT_STREQ(node.textOrEmpty(), "abcde");
}

TEST(XmlReader, DeepDocumentIsFreedWithoutOverflowingTheStack) {
    std::string document;
    const int depth = 200000;
    for (int i = 0; i < depth; ++i) {
        document += "<a>";
    }
    for (int i = 0; i < depth; ++i) {
        document += "</a>";
    }
    XMLNode root = parse(document);
    EXPECT_STREQ(root.name.c_str(), "a");
    ASSERT_EQ(root.children.size(), 1u);
}

TEST(XmlReader, PartialDocumentReturnsTheRootOrAnEmptyElement) {
    EXPECT_EQ(shape(parse("<root a=\"1\"><inner><deeper>", 0)),
              "root@1 a=1 ''@0 {inner@1 ''@0 {deeper@1 ''@0}}");
    for (const char* document : {"", "<?xml version=\"1.0\"?>\n"}) {
        EXPECT_EQ(shape(parse(document, 0)), "@0 ''@0") << document;
    }
}

XML_Parser failingCreate(const XML_Char* /*encoding*/) {
    return nullptr;
}

TEST(XmlReaderDeathTest, MalformedDocumentsAndAMissingParserEndTheProcess) {
    EXPECT_EXIT(parse("<a><b></a>"), ::testing::ExitedWithCode(platform::kExitFailureStatus),
                parseErrorPattern(XML_ERROR_TAG_MISMATCH));
    EXPECT_EXIT(parse(""), ::testing::ExitedWithCode(platform::kExitFailureStatus),
                parseErrorPattern(XML_ERROR_NO_ELEMENTS));
    EXPECT_EXIT(
        {
            xml_parser_factory::setCreateFunction(failingCreate);
            parse("<a/>");
        },
        ::testing::ExitedWithCode(platform::kExitFailureStatus),
        std::string("^") + kNoParserMessage + "\n$");
}

TEST(XmlReader, TryParseReportsFailureWithoutEnding) {
    XMLNode root("untouched", {});
    XmlParseError error;
    const char document[] = "<a>\n <b>\n </a>";
    EXPECT_FALSE(tryParseXml(document, sizeof document - 1, 1, &root, &error));
    EXPECT_EQ(error.text, XML_ErrorString(XML_ERROR_TAG_MISMATCH));
    EXPECT_EQ(error.code, XML_ERROR_TAG_MISMATCH);
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.column, 4);  // where the end tag's name starts
    EXPECT_EQ(error.openName, "b");
    EXPECT_EQ(error.openLine, 2);
    EXPECT_STREQ(root.name.c_str(), "untouched");

    xml_parser_factory::setCreateFunction(failingCreate);
    EXPECT_FALSE(tryParseXml("<a/>", 4, 1, &root, &error));
    xml_parser_factory::setCreateFunction(nullptr);
    EXPECT_EQ(error.text, kNoParserMessage);

    EXPECT_TRUE(tryParseXml("<a/>", 4, 1, &root, &error));
    EXPECT_STREQ(root.name.c_str(), "a");
}

}  // namespace
