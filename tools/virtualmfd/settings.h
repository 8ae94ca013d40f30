#pragma once

#include <string>

namespace virtualmfd {

// What the environment asks of the virtual display; read when the library is
// loaded and again at each DirectOutput_Initialize.
struct Settings {
    std::string recordPath;     // VIRTUALMFD_RECORD: append one line per call; empty = none
    bool recordTime = false;    // VIRTUALMFD_RECORD_TIME=1: each record line starts with the time
    bool recordResult = false;  // VIRTUALMFD_RECORD_RESULT=1: each call's line ends with its result
    bool noDevice = false;      // VIRTUALMFD_NO_DEVICE=1: Enumerate reports no device
    bool failInitialize = false;  // VIRTUALMFD_FAIL_INITIALIZE=1: Initialize fails (E_FAIL)
    bool failSetString = false;   // VIRTUALMFD_FAIL_SETSTRING=1: SetString gives E_NOTIMPL
    bool view = true;             // VIRTUALMFD_VIEW=0: no live view even on a terminal
    int replugSeconds = 0;        // VIRTUALMFD_REPLUG_SECONDS=N: unplug and replug every N s
};

Settings readSettings();

}  // namespace virtualmfd
