// The program's work without its window, for installers, scripts and support: registering,
// removing and reporting the associations of the types that the command line names. It never
// makes a window, a box or a dialog and never waits for input; what it has to say goes to the
// standard streams (StandardStreams.h).
#pragma once

#include "app/CommandLine.h"

class StandardStreams;

// The process exit codes of the command line.
enum CommandLineExit : int {
    kExitDone = 0,           // done for every type (/status: written)
    kExitRegistryFailed = 1, // the registry refused the work for a type; the others were done
                             // (/policy: the file could not be written)
    kExitUsage = 2,          // usage or definition-file error: nothing written
    kExitPlayer = 3,         // the player is missing (without /force) or cannot be registered
    kExitNoRights = 4,       // /machine without administrator rights: nothing written
};

// Carries out a request with a verb and returns the exit code.
int RunCommandLine(const CommandLineRequest& request, StandardStreams& streams);

// One CSV field as RFC 4180 writes it: in quotation marks, with each one inside doubled, when it
// holds a comma, a quotation mark or a line break; as it is otherwise.
std::wstring CsvField(const std::wstring& text);
