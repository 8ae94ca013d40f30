#include "config/xml_reader.h"

#include <cstring>
#include <string>

#include <expat.h>
#include <gtest/gtest.h>

#include "config/xml_parser_factory.h"
#include "platform/process.h"

namespace {

XMLNode parse(const std::string& document, int32_t isFinal = 1) {
    return parseXml(document.data(), static_cast<int32_t>(document.size()), isFinal);
}

std::string textOf(const std::string& document) {
    return parse(document).textOrEmpty();
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
    EXPECT_STREQ(root.name.c_str(), "root");
    ASSERT_EQ(root.attributes.size(), 2u);
    EXPECT_STREQ(root.attributes[0].name.c_str(), "first");
    EXPECT_STREQ(root.attributes[0].value.c_str(), "1");
    EXPECT_STREQ(root.attributes[1].name.c_str(), "second");
    EXPECT_STREQ(root.attributes[1].value.c_str(), "two");
    ASSERT_EQ(root.children.size(), 2u);
    EXPECT_STREQ(root.children[0]->name.c_str(), "empty");
    EXPECT_STREQ(root.children[0]->textOrEmpty(), "");
    EXPECT_EQ(root.children[0]->textLength, 0);
    EXPECT_STREQ(root.children[1]->name.c_str(), "child");
    EXPECT_STREQ(root.children[1]->textOrEmpty(), "child text");
    EXPECT_STREQ(root.textOrEmpty(), "own text");
    EXPECT_EQ(root.textLength, 8);
    // Where each start tag begins, and where the first text kept after white space is.
    EXPECT_EQ(root.line, 2);
    EXPECT_EQ(root.textLine, 5);
    EXPECT_EQ(root.children[0]->line, 4);
    EXPECT_EQ(root.children[0]->textLine, 0);
    EXPECT_EQ(root.children[1]->line, 6);
    EXPECT_EQ(root.children[1]->textLine, 7);
}

TEST(XmlReader, WhiteSpaceRule) {
    struct Case {
        const char* document;
        const char* text;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(textOf(c.document), c.text) << c.document;
    }
}

TEST(XmlReader, EntityReferencesAreReplaced) {
    XMLNode root = parse("<a v=\"&amp;&lt;&quot;&#65;\">&gt;&apos;</a>");
    EXPECT_STREQ(root.attributes[0].value.c_str(), "&<\"A");
    EXPECT_STREQ(root.textOrEmpty(), ">'");
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
    XMLNode open = parse("<root a=\"1\"><inner><deeper>", 0);
    EXPECT_STREQ(open.name.c_str(), "root");
    ASSERT_EQ(open.children.size(), 1u);
    EXPECT_STREQ(open.children[0]->name.c_str(), "inner");
    for (const char* document : {"", "<?xml version=\"1.0\"?>\n"}) {
        XMLNode root = parse(document, 0);
        EXPECT_STREQ(root.name.c_str(), "");
        EXPECT_TRUE(root.attributes.empty());
        EXPECT_TRUE(root.children.empty());
        EXPECT_STREQ(root.textOrEmpty(), "");
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
