#pragma once

#include <string>

// What the program will make of the display library on this machine, found
// the way the program finds it: where it looks (FLIGHTMFD_DISPLAY_LIBRARY,
// else the registry value and the view of the registry that it reads), the
// path it finds there, whether that file is there and loads, and which of the
// five entry points that the program calls it exports; for each failure,
// what to do. It only reads: the registry and the environment stay as they
// are, and the library is loaded and freed again without a call into it.
std::string checkDisplayLibrary();
