#include "tools/preview/preview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct PreviewRun {
    int status;
    std::string out;
    std::string err;
};

PreviewRun preview(const std::string& path,
                   PreviewOptions::Values values = PreviewOptions::Values::kSample) {
    PreviewOptions options;
    options.configPath = path;
    options.values = values;
    PreviewRun run;
    run.status = runPreview(options, &run.out, &run.err);
    return run;
}

std::string testFile(const char* name) {
    return std::string(PREVIEW_TESTDATA) + "/" + name;
}

// The summary is the line after the pages; the unreadable have none.
std::string summary(const std::string& out) {
    const size_t start = out.empty() ? 0 : out.rfind("\n\n") + 2;
    return out.substr(start, out.find('\n', start) - start);
}

TEST(Preview, ExitStatusAndSummaryTellSoundFromBrokenFromUnreadable) {
    const std::tuple<std::string, int, std::string> cases[] = {
        {SAMPLE_CONFIG, kExitSound, "No problems: " + std::string(SAMPLE_CONFIG) + " is ready."},
        {testFile("names.xml"), kExitProblems, "6 problems:"},
        {testFile("units.xml"), kExitProblems, "6 problems:"},
        {testFile("ignored.xml"), kExitProblems, "8 problems:"},
        {testFile("overflow.xml"), kExitProblems, "3 problems:"},
        {testFile("no_host.xml"), kExitProblems, "1 problem, which stops the program at start-up:"},
        {testFile("bad_host.xml"), kExitProblems,
         "6 problems, 1 of which stops the program at start-up:"},
        {testFile("malformed.xml"), kExitUnreadable, ""},
        {testFile("empty.xml"), kExitUnreadable, ""},
        {testFile("no_such_file.xml"), kExitUnreadable, ""},
        {PREVIEW_TESTDATA, kExitUnreadable, ""},  // a folder: opens, but cannot be read
    };
    for (const auto& [path, status, expectedSummary] : cases) {
        const PreviewRun run = preview(path);
        EXPECT_EQ(run.status, status) << path;
        EXPECT_EQ(summary(run.out), expectedSummary) << path;
    }
}

TEST(Preview, SoundFileShowsItsPagesAndSaysItIsReady) {
    const PreviewRun run = preview(SAMPLE_CONFIG);
    EXPECT_EQ(run.err, "");
    const std::string path = SAMPLE_CONFIG;
    EXPECT_EQ(run.out.rfind(path + ": 15 lines on 5 pages, simulator at 127.0.0.1:20010\n", 0), 0u);
    EXPECT_NE(run.out.find("Values: samples"), std::string::npos);
    EXPECT_NE(run.out.find("Page 5 of 5 (PAGE04)\n"), std::string::npos);
    EXPECT_NE(run.out.find("  line  9 |IAS 285.0 kmph  |\n"), std::string::npos);
    const std::string last = "\nNo problems: " + path + " is ready.\n";
    EXPECT_EQ(run.out.substr(run.out.size() - last.size()), last) << run.out;
}

TEST(Preview, ProblemsAreListedLastWithFileAndLine) {
    const PreviewRun run = preview(testFile("overflow.xml"));
    const std::string path = testFile("overflow.xml");
    const std::string list = run.out.substr(run.out.find("\n3 problems:\n") + 1);
    EXPECT_EQ(list.find(path + ":4: \"AIRSPEED 285.0 kmph\" is 19 characters"),
              std::string("3 problems:\n").size());
    EXPECT_NE(list.find(path + ":5: "), std::string::npos);
    EXPECT_NE(list.find(path + ":7: "), std::string::npos);
}

TEST(Preview, UnreadableFilesSayWhyOnStandardError) {
    const PreviewRun missing = preview(testFile("no_such_file.xml"));
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "flightmfd-preview: cannot open " + testFile("no_such_file.xml") +
                               ": No such file or directory\n");

    const PreviewRun bare = preview("no_such_file.xml");
    EXPECT_EQ(bare.err,
              "flightmfd-preview: cannot open no_such_file.xml: No such file or "
              "directory (looked in " +
                  std::filesystem::current_path().string() + ")\n");

    const PreviewRun malformed = preview(testFile("malformed.xml"));
    EXPECT_EQ(malformed.out, "");
    EXPECT_EQ(malformed.err, testFile("malformed.xml") +
                                 ":4:47: mismatched tag (the program stops at start-up with \"" +
                                 kParseErrorHeading + "\")\n" + testFile("malformed.xml") +
                                 ":4: <line>, opened here, is still open at the end tag on line "
                                 "4: close it with </line> (or mend that end tag)\n");
}

TEST(Preview, SimFromAConfigurationThatNamesAnotherMachineKeepsTheSamples) {
    const PreviewRun run =
        preview(testFile("bad_host.xml"), PreviewOptions::Values::kSimFromConfig);
    EXPECT_EQ(run.status, kExitProblems);
    EXPECT_NE(run.out.find("Values: samples; --sim asks only 127.0.0.1:PORT, and il2host gives "
                           "127.0.0:4464\n"),
              std::string::npos)
        << run.out;
}

struct OptionsCase {
    std::vector<const char*> arguments;
    OptionsResult result;
    std::string path;
    PreviewOptions::Values values;
    uint16_t port;
};

TEST(PreviewOptions, CommandLines) {
    using V = PreviewOptions::Values;
    const OptionsCase cases[] = {
        {{}, OptionsResult::kRun, "config.xml", V::kSample, 0},
        {{"my.xml"}, OptionsResult::kRun, "my.xml", V::kSample, 0},
        {{"--sim"}, OptionsResult::kRun, "config.xml", V::kSimFromConfig, 0},
        {{"--sim", "my.xml"}, OptionsResult::kRun, "my.xml", V::kSimFromConfig, 0},
        {{"--sim", "127.0.0.1:20011"}, OptionsResult::kRun, "config.xml", V::kSimAtPort, 20011},
        {{"my.xml", "--sim=127.0.0.1:5"}, OptionsResult::kRun, "my.xml", V::kSimAtPort, 5},
        {{"--sim", "192.168.1.2:20010"}, OptionsResult::kError, "", V::kSample, 0},
        {{"--sim", "127.0.0.1:70000"}, OptionsResult::kError, "", V::kSample, 0},
        {{"--sim=127.0.0.1"}, OptionsResult::kError, "", V::kSample, 0},
        {{"--verbose"}, OptionsResult::kError, "", V::kSample, 0},
        {{"a.xml", "b.xml"}, OptionsResult::kError, "", V::kSample, 0},
        {{"a.xml", "--help"}, OptionsResult::kHelp, "", V::kSample, 0},
    };
    for (const OptionsCase& c : cases) {
        std::vector<const char*> argv = {"flightmfd-preview"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        PreviewOptions options;
        std::string error;
        const OptionsResult result =
            parsePreviewOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
        const std::string shown = testing::PrintToString(c.arguments);
        ASSERT_EQ(result, c.result) << shown;
        if (result == OptionsResult::kError) {
            EXPECT_FALSE(error.empty()) << shown;
        }
        if (result == OptionsResult::kRun) {
            EXPECT_EQ(options.configPath, c.path) << shown;
            EXPECT_EQ(options.values, c.values) << shown;
            EXPECT_EQ(options.simPort, c.port) << shown;
        }
    }
}

}  // namespace
