#pragma once

// The names of the three named mutexes. Every thread opens its own handle by
// name, so a misspelt name would quietly make a fourth mutex that guards
// nothing; each name is written here only.
constexpr char kMutexBuffer[] = "mutexBuffer";    // the ReceiveQueue
constexpr char kMutexIL2Data[] = "mutexIL2Data";  // il2d, the flight data record
constexpr char kMutexIl2disp[] = "mutexIl2disp";  // the display model's line texts
