#pragma once

#include <cstdint>

// How the simulator's query interface frames a value, for every reader and
// writer of queries and answers. A query is one datagram: "R/" and a two-digit
// code. An answer is one datagram: "A/", the same code, one separator byte
// (the simulator sends '\'; the program never examines it), and the value's
// text to the end of the datagram.
constexpr char kQueryPrefix[] = "R/";
constexpr char kAnswerPrefix[] = "A/";
constexpr int32_t kCodeDigits = 2;
// A whole query, and how an answer begins: a prefix and the code.
constexpr int32_t kCodedLength = 2 + kCodeDigits;
constexpr char kAnswerSeparator = '\\';
// Where an answer's value text begins.
constexpr int32_t kValueOffset = kCodedLength + 1;
