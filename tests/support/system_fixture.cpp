#include "tests/support/system_fixture.h"

#include "tools/flightmfd_sim/answers.h"
#include "tools/virtualmfd/record_reader.h"

namespace testsupport {

std::string configXml(const std::string& host, const std::string& port,
                      const std::vector<Line>& lines) {
    std::string xml =
        "<flightmfd>\n  <il2host ipAddress=\"" + host + "\" port=\"" + port + "\"/>\n";
    for (const Line& line : lines) {
        xml += "  <line " + line.attributes + ">" + line.valueName + "</line>\n";
    }
    return xml + "</flightmfd>\n";
}

bool serve(UdpEndpoint& peer, const std::map<int, std::string>& answers,
           const std::function<bool()>& done, double seconds) {
    return waitUntil(seconds, [&] {
        while (auto query = peer.receive(10)) {
            auto answer = answers.find(queryCode(*query));
            if (answer != answers.end()) {
                peer.reply(answerFor(answer->first, answer->second));
            }
        }
        return done();
    });
}

SystemTest::SystemTest() {
    environment_["FLIGHTMFD_DISPLAY_LIBRARY"] = virtualDisplayPath();
    // Never the machine's own registry stand-in, whatever it holds.
    environment_["FLIGHTMFD_REGISTRY"] = folder_.file("registry");
    environment_["FLIGHTMFD_DEBUG_OUTPUT"] = folder_.file("debug.txt");
    environment_["VIRTUALMFD_RECORD"] = folder_.file("record.txt");
    environment_["VIRTUALMFD_VIEW"] = "0";
}

std::string SystemTest::registerLibrary(const std::string& path) {
    // Empty is as if not set, whatever the test's own environment holds.
    environment_["FLIGHTMFD_DISPLAY_LIBRARY"] = "";
    registryEntry_ = std::make_unique<RegistryEntry>(folder_.file("registry"), path);
    return registryEntry_->notHeld();
}

void SystemTest::start() {
    startThrough(flightmfdPath(), {});
}

void SystemTest::startThrough(const std::string& command,
                              const std::vector<std::string>& arguments) {
    program_ = std::make_unique<ChildProcess>(command, arguments, folder_.path(), "flightmfd",
                                              environment_);
}

std::optional<int> SystemTest::exitStatus(double seconds) {
    int status = 0;
    return program_->waitForExit(seconds, &status) ? std::optional<int>(status) : std::nullopt;
}

bool SystemTest::stillRunsAfter(double seconds) {
    return !waitUntil(seconds, [&] { return !program_->running(); });
}

std::optional<std::string> SystemTest::shownText(int page, int line) const {
    std::optional<std::string> shown;
    for (const virtualmfd::RecordedCall& call :
         virtualmfd::readRecord(folder_.file("record.txt"))) {
        if (call.name == "SetString" && call.page == page && call.line == line) {
            shown = call.text;
        }
    }
    return shown;
}

bool SystemTest::waitForShown(int page, int line, const std::string& text, double seconds) const {
    return waitUntil(seconds, [&] { return shownText(page, line) == text; });
}

bool SystemTest::waitForOutput(const std::string& text, double seconds) {
    return waitUntil(seconds, [&] { return program_->output().find(text) != std::string::npos; });
}

}  // namespace testsupport
