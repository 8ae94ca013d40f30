// Prints the entry points that the virtual display exports, one name a line,
// from the one list of them, so that the package check compares a library's
// exports with that list and keeps no copy of its own.
#include <cstdio>

#include "device/direct_output.h"

int main() {
    for (const char* name : kDirectOutputEntryPoints) {
        std::puts(name);
    }
    return 0;
}
