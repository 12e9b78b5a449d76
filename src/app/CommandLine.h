// What the program is asked to do by its command line. Without a verb it shows its window, with
// the first argument as an IDF file to load, as it always did; with a verb it does the work
// without a window (CommandLineRun.h):
//   vtassoc.exe /register   [/types:LIST] [/def:FILE] [/shellext] [/force] [/machine]
//   vtassoc.exe /unregister [/types:LIST] [/def:FILE] [/machine]
//   vtassoc.exe /status     [/types:LIST] [/def:FILE]
//   vtassoc.exe /policy:FILE [/types:LIST] [/def:FILE] [/version:N] [/suggested]
//   vtassoc.exe /?
// A switch begins with "/" or "-", its name has no letter case, and a value follows ":" or "=".
// An argument is a switch only when its name is one of these.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class Verb {
    None, // the window
    Register,
    Unregister,
    Status,
    Policy,
    Help,
};

struct CommandLineRequest {
    Verb verb = Verb::None;
    // Without a verb: the first argument, an IDF file for the window.
    std::optional<std::wstring> idfFile;
    std::optional<std::wstring> types;       // /types:LIST
    std::optional<std::wstring> definitions; // /def:FILE
    bool shellExtension = false;             // /shellext
    bool force = false;                      // /force
    bool machine = false;                    // /machine
    std::optional<std::wstring> policyFile;  // /policy:FILE
    std::optional<std::wstring> version;     // /version:N
    bool suggested = false;                  // /suggested
    // Not empty: the command line is not one the program knows, and this line says why.
    std::wstring usageError;
};

// `arguments` without the program's own path, as CommandLineToArgvW splits them.
CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments);

// The arguments of this process after its own path.
std::vector<std::wstring> ProgramArguments();

// The text that /? prints: the forms above, what each switch does, LIST and the exit codes.
const wchar_t* UsageText();
