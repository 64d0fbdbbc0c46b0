#pragma once

#include <ostream>

// One run of the program: reads the command line, loads the MP file, writes the report
// to `out` and any usage or error message to `err`. Returns the exit status: 0 after a
// whole report, 1 after the usage message, 2 after an error.
int RunTundrel(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

extern const char* const kUsageMessage;
