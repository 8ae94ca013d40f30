#include "app/startup.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/display_threads.h"
#include "app/link_threads.h"
#include "app/mutex_names.h"
#include "config/configuration.h"
#include "config/xml_reader.h"
#include "display/flight_values.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text_io.h"
#include "platform/thread.h"
#include "simlink/il2connection.h"

namespace {

// Says where the file was looked for, since the working folder is not always
// the one the user thinks of (a shortcut's "Start in").
[[noreturn]] void cannotOpenConfigFile(int error) {
    // Only the main thread runs yet, so strerror's shared buffer is its own.
    const std::string reason = std::strerror(error);  // NOLINT(concurrency-mt-unsafe)
    const bool textFileFound = platform::isFile(std::string(kConfigFileName) + ".txt");
    platform::writeText(
        stderr, cannotOpenConfigMessage(reason, platform::currentFolder(), textFileFound) + "\n");
    platform::exitFailure();
}

// One read of at most kConfigReadLimit bytes: a longer file is cut there, and
// the parser learns it from the final flag.
XMLNode readConfigFile() {
    static char xmlBuffer[kConfigReadLimit];
    FILE* file = std::fopen(kConfigFileName, "r");
    if (file == nullptr) {
        cannotOpenConfigFile(errno);
    }
    size_t length = std::fread(xmlBuffer, 1, kConfigReadLimit, file);
    if (std::ferror(file)) {
        std::fprintf(stderr, "%s\n", kReadErrorMessage);
        platform::exitFailure();
    }
    int32_t isFinal = std::feof(file) ? 1 : 0;
    return parseXml(xmlBuffer, static_cast<int32_t>(length), isFinal);
}

// The connection cannot work without a usable address and port, so a
// configuration that lacks them stops here, before anything is sent.
void rejectUnusableHost(const ConfigurationReport& report) {
    if (report.addressTooLong) {
        std::fprintf(stderr, "%s\n", addressTooLongMessage(report.rejectedAddress).c_str());
        platform::exitFailure();
    }
    if (!report.portFound) {
        std::fprintf(stderr, "%s\n", noPortMessage().c_str());
        platform::exitFailure();
    }
}

}  // namespace

AnswerWatch::ValueSet shownValues(const std::vector<TemplateToken>& tmpl) {
    AnswerWatch::ValueSet values = 0;
    for (const TemplateToken& token : tmpl) {
        const FlightValue* value = flightValueNamed(token.valueName);
        if (value != nullptr && isShown(*value)) {
            values |= valueBit(*value);
        }
    }
    return values;
}

// The config.xml.txt is named because Notepad makes one of config.xml while
// Explorer hides its extension.
std::string cannotOpenConfigMessage(const std::string& reason, const std::string& folder,
                                    bool textFileFound) {
    std::string message = std::string("Cannot open ") + kConfigFileName + " : " + reason;
    if (!folder.empty()) {
        message += " (looked in " + folder + ")";
    }
    if (textFileFound) {
        const std::string textFile = std::string(kConfigFileName) + ".txt";
        message += "\nThere is a " + textFile + ": rename it to " + kConfigFileName +
                   " (Windows hides known extensions such as .txt, so it shows as " +
                   kConfigFileName + ")";
    }
    return message;
}

MainObjects runStartup() {
    auto* il2IPAddress = static_cast<char*>(std::calloc(kAddressBufferSize, 1));
    uint16_t il2Port = 0;
    XMLNode xml = readConfigFile();
    ConfigurationReport report;
    std::vector<TemplateToken> tmpl = readConfiguration(xml, il2IPAddress, il2Port, &report);
    rejectUnusableHost(report);
    std::printf("il2IPAddress : %s, il2Port : %d\n", il2IPAddress, static_cast<int>(il2Port));

    il2Connection = new IL2Connection(il2IPAddress, il2Port);
    il2Connection->watchValues(shownValues(tmpl));
    platform::NamedMutex mutexBuffer = platform::NamedMutex::open(kMutexBuffer);

    uint32_t askDataThreadId = platform::startThread("askDataThread", askDataThread, nullptr);
    std::printf("askDataThread started : [tid : %d]\n", static_cast<int>(askDataThreadId));

    auto* queue = new ReceiveQueue();
    uint32_t recDataThreadId = platform::startThread("recDataThread", recDataThread, queue);
    std::printf("recDataThread started : [tid : %d]\n", static_cast<int>(recDataThreadId));

    auto* il2d = new IL2Data();
    platform::NamedMutex mutexIL2Data = platform::NamedMutex::open(kMutexIL2Data);

    startDisplaySide(tmpl, *il2d);
    return MainObjects{queue, il2d, mutexBuffer, mutexIL2Data};
}
