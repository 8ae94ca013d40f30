#pragma once

#include <string>
#include <vector>

#include "app/receive_queue.h"
#include "display/il2data.h"
#include "display/template_token.h"
#include "platform/named_mutex.h"
#include "simlink/answer_watch.h"

// What the main loop needs from the start-up. Everything made at start-up
// lives until the process ends; nothing here is ever destroyed.
struct MainObjects {
    ReceiveQueue* queue;
    IL2Data* il2d;
    platform::NamedMutex mutexBuffer;
    platform::NamedMutex mutexIL2Data;
};

// Reads config.xml from the working folder, connects to the simulator and
// starts the four worker threads, in that fixed order. Every failure ends the
// process with its message on standard error and exit status -1.
MainObjects runStartup();

// The values that a line of `tmpl` shows, each watched for answers of its
// own. A value that no line can show (the azimuth, the fuel) is not watched,
// even when a line names it.
AnswerWatch::ValueSet shownValues(const std::vector<TemplateToken>& tmpl);

// The start-up's own messages, without their line feed, for a config.xml that
// it cannot read, or cannot open for `reason` (the system's words). The second
// says where the file was looked for, unless `folder` is empty, and names the
// config.xml.txt that Notepad makes of config.xml when there is one.
constexpr char kReadErrorMessage[] = "Read error";
std::string cannotOpenConfigMessage(const std::string& reason, const std::string& folder,
                                    bool textFileFound);
