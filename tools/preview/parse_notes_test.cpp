#include "tools/preview/parse_notes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tools/preview/analysis.h"

namespace {

Analysis analyseText(const std::string& text) {
    ConfigSource source;
    source.bytes = text;
    return analyseSource(source);
}

// UTF-16 in little-endian order with its byte-order mark, as Notepad saves
// "Unicode"; the text is ASCII.
std::string utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

const std::string kHost = "<il2host ipAddress=\"127.0.0.1\" port=\"20010\"/>\n";
const char kSave[] = "Save it as UTF-8: in Notepad, File, Save As, with Encoding UTF-8";

TEST(ParseNotes, SayWhatToMendWhereExpatsWordsDoNot) {
    const ParseNote savedAsUtf16 = {
        1, 0,
        std::string("the file is saved as UTF-16 (\"Unicode\" in Notepad), but its first line "
                    "says encoding=\"UTF-8\". ") +
            kSave + "."};
    // What is wrong, the file, expat's text, and the note.
    const std::tuple<const char*, std::string, std::string, ParseNote> cases[] = {
        // The first byte that is not UTF-8 is found past a character that is.
        {"saved as ANSI, no encoding declared",
         "<?xml version=\"1.0\"?>\n<c>\n<!-- caf\xC3\xA9 -->" + kHost +
             "<line prefix=\"H\xF6he\">altimeter</line>\n</c>",
         "not well-formed (invalid token)",
         {4, 16,
          std::string("byte 0xF6 is not UTF-8: the file is saved in another encoding (\"ANSI\" "
                      "in an older Notepad). ") +
              kSave + "."}},
        {"saved as Unicode, UTF-8 declared",
         utf16("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<c/>\n"),
         "encoding specified in XML declaration is incorrect", savedAsUtf16},
        {"saved as Unicode without a byte-order mark, UTF-8 declared",
         utf16("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<c/>\n").substr(2),
         "encoding specified in XML declaration is incorrect", savedAsUtf16},
        {"an encoding the reader does not know",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<c/>\n",
         "unknown encoding",
         {1, 0,
          std::string("the program cannot read the encoding \"windows-1252\" that the first line "
                      "declares (it reads UTF-8, UTF-16, ISO-8859-1 and US-ASCII). ") +
              kSave + ", and make the first line say encoding=\"UTF-8\"."}},
        {"a </line> missing",
         "<?xml version=\"1.0\"?>\n<flightmfd>\n" + kHost +
             "<line>plane</line>\n<line>altimeter\n<line>flaps</line>\n</flightmfd>\n",
         "mismatched tag",
         {5, 0,
          "<line>, opened here, is still open at the end tag on line 7: close it with </line> "
          "(or mend that end tag)"}},
        {"the root left open",
         "<flightmfd>\n" + kHost + "<line>plane</line>\n",
         "no element found",
         {1, 0,
          "<flightmfd>, opened here, is never closed: the file ends first; close it with "
          "</flightmfd>"}},
        // Nothing to add where expat says it all.
        {"a typo in an attribute",
         "<c>\n<line prefix=\"A>altimeter</line>\n</c>",
         "not well-formed (invalid token)",
         {}},
        {"a Latin-1 file that says so",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<c>\n<line>\xE9 & x</line></c>",
         "not well-formed (invalid token)",
         {}},
    };
    for (const auto& [label, text, error, note] : cases) {
        const Analysis analysis = analyseText(text);
        ASSERT_EQ(analysis.state, Analysis::State::kMalformed) << label;
        EXPECT_EQ(analysis.parseError, error) << label;
        EXPECT_EQ(analysis.parseNote.line, note.line) << label;
        EXPECT_EQ(analysis.parseNote.column, note.column) << label;
        EXPECT_EQ(analysis.parseNote.message, note.message) << label;
    }
}

TEST(ParseNotes, UnicodeFilesThatSayWhatTheyAreStillWork) {
    const std::string body =
        "<c>\n" + kHost + "<line prefix=\"H\xC3\xB6he\">altimeter</line>\n</c>\n";
    const std::string ascii = "<c>\n" + kHost + "<line prefix=\"Hoehe\">altimeter</line>\n</c>\n";
    // The encoding, the file, and its one line's prefix and file line as read.
    const std::tuple<const char*, std::string, const char*, int32_t> cases[] = {
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body, "H\xC3\xB6he", 4},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + body, "H\xC3\xB6he", 3},
        {"UTF-16", utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + ascii), "Hoehe", 4},
    };
    for (const auto& [label, text, prefix, line] : cases) {
        const Analysis analysis = analyseText(text);
        ASSERT_EQ(analysis.state, Analysis::State::kRead) << label << ": " << analysis.parseError;
        ASSERT_EQ(analysis.tokens.size(), 1u) << label;
        EXPECT_STREQ(analysis.tokens[0].prefix, prefix) << label;
        EXPECT_EQ(analysis.tokenLines[0], line) << label;
    }
}

}  // namespace
