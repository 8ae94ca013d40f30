#pragma once

#include <cstdint>
#include <string>

#include "display/il2data.h"
#include "simlink/answer_watch.h"

// How a query of the simulator went.
struct SimAnswers {
    int32_t asked = 0;     // queries sent
    int32_t answered = 0;  // of those, how many got an answer in time
    // The values of kFlightValues that got none, asked or not.
    AnswerWatch::ValueSet unanswered = 0;
    // The system reported the port closed: nothing listens on it.
    bool portClosed = false;
};

// Sends the program's queries once, one datagram each, to the simulator (or
// flightmfd-sim) on 127.0.0.1:`port`, and applies every answer that arrives
// within `waitMs` to *data with the program's own answer parser, until the
// system reports the port closed. Nothing is sent anywhere but 127.0.0.1.
// Returns false, with the reason in *error, when no socket can be opened; a
// simulator that does not answer is not an error, only answered == 0.
bool askSimulator(uint16_t port, int32_t waitMs, IL2Data* data, SimAnswers* answers,
                  std::string* error);
