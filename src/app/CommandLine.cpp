#include "app/CommandLine.h"

#include "common/AsciiCase.h"
#include "common/UniqueHandle.h"

#include <windows.h>
#include <shellapi.h>

namespace {

enum VerbBit : unsigned {
    kRegister = 1u << static_cast<unsigned>(Verb::Register),
    kUnregister = 1u << static_cast<unsigned>(Verb::Unregister),
    kStatus = 1u << static_cast<unsigned>(Verb::Status),
    kPolicy = 1u << static_cast<unsigned>(Verb::Policy),
};

struct KnownSwitch {
    const wchar_t* name;
    Verb verb;      // the verb that the switch names; Verb::None for an option
    unsigned verbs; // the verbs that the option belongs to (VerbBit)
    // Where a switch puts what it says: its value (":VALUE" or "=VALUE", an example of which
    // follows), or that it was given (an option).
    std::optional<std::wstring> CommandLineRequest::*value;
    const wchar_t* example;
    bool CommandLineRequest::*flag;
};

constexpr unsigned kEveryVerb = kRegister | kUnregister | kStatus | kPolicy;

const KnownSwitch kSwitches[] = {
    {L"register", Verb::Register, 0, nullptr, nullptr, nullptr},
    {L"unregister", Verb::Unregister, 0, nullptr, nullptr, nullptr},
    {L"status", Verb::Status, 0, nullptr, nullptr, nullptr},
    {L"policy", Verb::Policy, 0, &CommandLineRequest::policyFile, L"FILE", nullptr},
    {L"?", Verb::Help, 0, nullptr, nullptr, nullptr},
    {L"types", Verb::None, kEveryVerb, &CommandLineRequest::types, L"mkv,mp3", nullptr},
    {L"def", Verb::None, kEveryVerb, &CommandLineRequest::definitions, L"FILE", nullptr},
    {L"shellext", Verb::None, kRegister, nullptr, nullptr, &CommandLineRequest::shellExtension},
    {L"force", Verb::None, kRegister, nullptr, nullptr, &CommandLineRequest::force},
    {L"machine", Verb::None, kRegister | kUnregister, nullptr, nullptr,
     &CommandLineRequest::machine},
    {L"version", Verb::None, kPolicy, &CommandLineRequest::version, L"1", nullptr},
    {L"suggested", Verb::None, kPolicy, nullptr, nullptr, &CommandLineRequest::suggested},
};

struct Switch {
    const KnownSwitch* known = nullptr;
    std::optional<std::wstring> value;
};

// The argument as a switch; nothing when it is not one.
std::optional<Switch> AsSwitch(const std::wstring& argument) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        return std::nullopt;
    }
    const std::size_t end = argument.find_first_of(L":=", 1);
    const std::wstring_view name =
        std::wstring_view(argument).substr(1, end == std::wstring::npos ? end : end - 1);
    for (const KnownSwitch& known : kSwitches) {
        if (EqualIgnoringAsciiCase(name, known.name)) {
            Switch found;
            found.known = &known;
            if (end != std::wstring::npos) {
                found.value = argument.substr(end + 1);
            }
            return found;
        }
    }
    return std::nullopt;
}

std::wstring Named(const KnownSwitch& known) {
    return L"/" + std::wstring(known.name);
}

const wchar_t kHint[] = L" (vtassoc.exe /? shows the usage)";

// Takes the switch into the request for the verb; what is wrong with it, or empty.
std::wstring TakeSwitch(const Switch& given, const KnownSwitch& verb, CommandLineRequest& request) {
    const KnownSwitch& known = *given.known;
    if (&known != &verb && (known.verbs & (1u << static_cast<unsigned>(verb.verb))) == 0) {
        return Named(known) + L" is not a switch of " + Named(verb) + L".";
    }
    if (known.value != nullptr) {
        if (!given.value || given.value->empty()) {
            return Named(known) + L" needs a value, as in " + Named(known) + L":" + known.example +
                   L".";
        }
        if ((request.*known.value).has_value()) {
            return Named(known) + L" is given twice.";
        }
        request.*known.value = given.value;
        return L"";
    }
    if (given.value) {
        return Named(known) + L" takes no value.";
    }
    if (known.flag == nullptr) {
        return L""; // a verb
    }
    if (request.*known.flag) {
        return Named(known) + L" is given twice.";
    }
    request.*known.flag = true;
    return L"";
}

} // namespace

CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLineRequest request;
    const KnownSwitch* verb = nullptr;
    for (const std::wstring& argument : arguments) {
        const auto found = AsSwitch(argument);
        if (!found || found->known->verb == Verb::None) {
            continue;
        }
        if (verb != nullptr) {
            request.usageError =
                L"Only one of /register, /unregister, /status, /policy and /? can be given." +
                std::wstring(kHint);
            return request;
        }
        verb = found->known;
    }
    if (verb == nullptr) {
        // The window, as ever: the first argument names an IDF file, the others are not used.
        if (!arguments.empty()) {
            if (const auto option = AsSwitch(arguments.front())) {
                request.usageError = Named(*option->known) +
                                     L" needs one of /register, /unregister, /status and /policy." +
                                     kHint;
            } else {
                request.idfFile = arguments.front();
            }
        }
        return request;
    }
    request.verb = verb->verb;
    for (const std::wstring& argument : arguments) {
        const auto found = AsSwitch(argument);
        const std::wstring error =
            found ? TakeSwitch(*found, *verb, request)
                  : L"\"" + argument + L"\" is not a switch of " + Named(*verb) + L".";
        if (!error.empty()) {
            request.usageError = error + kHint;
            return request;
        }
    }
    return request;
}

std::vector<std::wstring> ProgramArguments() {
    int count = 0;
    const UniqueLocalMemory<LPWSTR> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::wstring> result;
    for (int i = 1; arguments && i < count; ++i) {
        result.emplace_back(arguments.get()[i]);
    }
    return result;
}

const wchar_t* UsageText() {
    return L"VT File Associations: makes Veltrano the handler for media file types.\r\n"
           L"\r\n"
           L"  vtassoc.exe              opens the window\r\n"
           L"  vtassoc.exe FILE         opens the window with the IDF file FILE loaded\r\n"
           L"  vtassoc.exe /register    [/types:LIST] [/def:FILE] [/shellext] [/force]\r\n"
           L"                           [/machine]\r\n"
           L"  vtassoc.exe /unregister  [/types:LIST] [/def:FILE] [/machine]\r\n"
           L"  vtassoc.exe /status      [/types:LIST] [/def:FILE]\r\n"
           L"  vtassoc.exe /policy:FILE [/types:LIST] [/def:FILE] [/version:N] [/suggested]\r\n"
           L"  vtassoc.exe /?\r\n"
           L"\r\n"
           L"  /register     registers Veltrano for the types, as \"Set Associations\" does;\r\n"
           L"                on Windows 8 and later each user then chooses Veltrano in\r\n"
           L"                Settings > Default apps\r\n"
           L"  /unregister   removes what the tool registered for the types\r\n"
           L"  /status       writes CSV: whether each type is registered for Veltrano, the\r\n"
           L"                file type that Windows opens it with, and where Veltrano's\r\n"
           L"                file type is (user, machine or both)\r\n"
           L"  /policy:FILE  writes a default-associations file for Group Policy or Intune\r\n"
           L"                that names Veltrano's file types\r\n"
           L"  /types:LIST   the types, separated by commas: all, video, audio or extensions\r\n"
           L"                such as mkv; all types when not given\r\n"
           L"  /def:FILE     loads the IDF file FILE first: its types can be named in LIST\r\n"
           L"  /shellext     registers the Play / Enqueue shell extension too\r\n"
           L"  /force        registers even when vtplayer.exe is not in the tool's folder\r\n"
           L"  /machine      registers or removes for every user of the machine (needs an\r\n"
           L"                elevated prompt or an installer)\r\n"
           L"  /version:N    the policy file's version (a whole number from 1)\r\n"
           L"  /suggested    the policy's associations are suggestions that Windows applies\r\n"
           L"                once per version (Windows 11 22H2 and later)\r\n"
           L"\r\n"
           L"A switch may begin with - as well, and its value may follow = as well.\r\n"
           L"\r\n"
           L"Exit codes:\r\n"
           L"  0  done for every type (/status: written)\r\n"
           L"  1  the registry refused the work for at least one type; the others were done\r\n"
           L"     (/policy: the file could not be written, and is as it was)\r\n"
           L"  2  usage error or definition-file error: nothing written\r\n"
           L"  3  the player is missing (without /force) or its path cannot be registered:\r\n"
           L"     nothing written\r\n"
           L"  4  /machine without administrator rights: nothing written\r\n";
}
