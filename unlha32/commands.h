#pragma once
// The commands: add (a), extract flat (e) or with folders (x), list (l) and test (t).

#include "unlha32/command_line.h"
#include "unlha32/report.h"

namespace unlha {

int addFiles(const Command& cmd, Report& report);
int extractMembers(const Command& cmd, Report& report);
int listMembers(const Command& cmd, Report& report);
int testMembers(const Command& cmd, Report& report);

// Runs a parsed command line; result is one of the UNLHA_* codes.
int runCommandLine(const char* line, Report& report);

} // namespace unlha
