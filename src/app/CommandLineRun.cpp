#include "app/CommandLineRun.h"

#include "app/StandardStreams.h"
#include "app/StartUp.h"
#include "catalogue/BuiltInExtensions.h"
#include "catalogue/RegisteredIconProbe.h"
#include "catalogue/TypeSelection.h"
#include "common/SystemErrorText.h"
#include "definitions/IdfLoader.h"
#include "registration/AssociationState.h"
#include "registration/DefaultApps.h"
#include "registration/MachineRights.h"
#include "registration/PlayerCheck.h"
#include "registration/PolicyFile.h"
#include "registration/RegisterExtension.h"
#include "registration/RemoveExtension.h"

#include <optional>
#include <string>
#include <vector>

namespace {

// A text of several lines (a box's) as one: its lines joined by blanks, empty ones left out.
std::wstring OneLine(const std::wstring& text) {
    std::wstring line;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring part = text.substr(start, end - start);
        while (!part.empty() && part.back() == L' ') {
            part.pop_back();
        }
        if (!part.empty()) {
            line += (line.empty() ? L"" : L" ") + part;
        }
        start = end + 1;
    }
    return line;
}

// The problems of a definition file, each on a line of its own as compilers write them:
// "FILE(LINE): reason". Every line is read, so that all of them are told at once.
class DefinitionProblems : public IdfLoadReporter {
public:
    DefinitionProblems(const std::wstring& file, StandardStreams& streams)
        : file(file), streams(streams) {}

    void FileError(const std::wstring& text) override { Report(file + L": " + OneLine(text)); }

    bool LineProblem(std::size_t lineNumber, const wchar_t*, const wchar_t* refusal) override {
        const std::wstring where = file + L"(" + std::to_wstring(lineNumber) + L"): ";
        Report(where + (refusal != nullptr ? L"Line refused: " + std::wstring(refusal)
                                           : std::wstring(L"Error while Parsing Line")));
        return true;
    }

    void OutOfMemory() override { Report(file + L": Error allocating buffer"); }

    int Count() const { return count; }

private:
    void Report(const std::wstring& line) {
        streams.ErrorLine(line);
        ++count;
    }

    const std::wstring& file;
    StandardStreams& streams;
    int count = 0;
};

// The registry's refusals, one line each: ".mkv: CRegistryKey::SetValue(): the system's text".
class RegistryFailureLines : public AssociationReporter {
public:
    explicit RegistryFailureLines(StandardStreams& streams) : streams(streams) {}

    void TypeFailed(const std::wstring& extension,
                    const CRegistryKey::Exception& failure) override {
        Report(L"." + extension, failure);
    }
    void ApplicationFailed(const CRegistryKey::Exception& failure) override {
        Report(L"Veltrano in Default apps", failure);
    }

    bool Any() const { return any; }

private:
    void Report(const std::wstring& subject, const CRegistryKey::Exception& failure) {
        streams.ErrorLine(subject + L": " + failure.GetWhere() + L": " +
                          OneLine(failure.GetErrorMessage()));
        any = true;
    }

    StandardStreams& streams;
    bool any = false;
};

// What /types says wrong, as one line; empty when the selection is sound.
std::wstring SelectionProblem(const TypeSelection& selection) {
    switch (selection.problem) {
    case TypeSelection::Problem::None:
        break;
    case TypeSelection::Problem::EmptyList:
        return L"/types names no type.";
    case TypeSelection::Problem::EmptyItem:
        return L"/types holds an empty item (two commas in a row, or one at an end).";
    case TypeSelection::Problem::UnknownType:
        return L"/types: \"" + selection.item +
               L"\" is none of all, video, audio and the extensions that the tool knows.";
    }
    return L"";
}

std::vector<std::wstring> Extensions(const std::vector<ExtensionEntry>& entries) {
    std::vector<std::wstring> extensions;
    for (const ExtensionEntry& entry : entries) {
        extensions.push_back(entry.extension);
    }
    return extensions;
}

const wchar_t* StateName(AssociationState state) {
    switch (state) {
    case AssociationState::OpensWithVeltrano:
        return L"opens";
    case AssociationState::RegisteredElsewhere:
        return L"registered";
    case AssociationState::NotRegistered:
        break;
    }
    return L"not-registered";
}

// Where Veltrano's file type is: "user", "machine", "both", or empty for neither.
const wchar_t* ScopeName(const TypeAssociation& association) {
    if (association.inUserClasses) {
        return association.inMachineClasses ? L"both" : L"user";
    }
    return association.inMachineClasses ? L"machine" : L"";
}

int WriteStatus(const std::vector<ExtensionEntry>& entries, const std::wstring& playerPath,
                StandardStreams& streams) {
    const std::vector<TypeAssociation> associations =
        ReadTypeAssociations(Extensions(entries), playerPath);
    std::wstring csv = L"Extension,State,UserChoice,Scope\r\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        csv += CsvField(L"." + entries[i].extension) + L"," + StateName(associations[i].state) +
               L"," + CsvField(associations[i].userChoice) + L"," + ScopeName(associations[i]) +
               L"\r\n";
    }
    streams.Out(csv);
    return kExitDone;
}

// Whether the player may be pointed at; what is wrong is written out.
bool PlayerAccepted(const std::wstring& playerPath, bool force, StandardStreams& streams) {
    switch (CheckPlayer(playerPath)) {
    case PlayerProblem::None:
        return true;
    case PlayerProblem::PercentSign:
        streams.ErrorLine(L"The path of Veltrano holds a percent sign (%), which Windows would "
                          L"take for a placeholder in the command that opens a file: " +
                          playerPath);
        return false;
    case PlayerProblem::Missing:
        if (force) {
            return true;
        }
        streams.ErrorLine(L"Veltrano was not found: " + playerPath +
                          L" (/force registers the types anyway).");
        return false;
    }
    return false;
}

RegistrationScope ScopeOf(const CommandLineRequest& request) {
    return request.machine ? RegistrationScope::Machine : RegistrationScope::User;
}

int Register(const std::vector<ExtensionEntry>& entries, const std::wstring& playerPath,
             const CommandLineRequest& request, StandardStreams& streams) {
    if (!PlayerAccepted(playerPath, request.force, streams)) {
        return kExitPlayer;
    }
    RegistryFailureLines failures(streams);
    const bool shellExtension = request.shellExtension;
    const AssociationCounts counts = RegisterExtensions(
        entries, playerPath, [shellExtension] { return shellExtension; }, failures,
        ScopeOf(request));
    streams.OutLine(std::to_wstring(counts.done) + L" extensions registered.");
    if (counts.applicationDone &&
        DefaultAppsPageFor(RunningWindowsVersion()) != DefaultAppsPage::None) {
        streams.OutLine(L"Windows lets each user choose Veltrano for a type in Settings > "
                        L"Default apps.");
    }
    return failures.Any() ? kExitRegistryFailed : kExitDone;
}

int Unregister(const std::vector<ExtensionEntry>& entries, const CommandLineRequest& request,
               StandardStreams& streams) {
    RegistryFailureLines failures(streams);
    const AssociationCounts counts =
        RemoveExtensions(Extensions(entries), failures, ScopeOf(request));
    streams.OutLine(std::to_wstring(counts.done) + L" extensions removed.");
    return failures.Any() ? kExitRegistryFailed : kExitDone;
}

// The policy file's version: a whole number from 1, as written in /version.
std::optional<unsigned long> PolicyVersion(const std::wstring& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of(L"0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    const unsigned long version = std::stoul(text);
    return version >= 1 ? std::optional<unsigned long>(version) : std::nullopt;
}

int WritePolicy(const std::vector<ExtensionEntry>& entries, const CommandLineRequest& request,
                StandardStreams& streams) {
    PolicyOptions options;
    if (request.version) {
        options.version = PolicyVersion(*request.version);
    }
    options.suggested = request.suggested;
    const std::wstring& path = *request.policyFile;
    const DWORD error = WritePolicyFile(path, PolicyFileText(entries, options));
    if (error != ERROR_SUCCESS) {
        streams.ErrorLine(path + L": " + OneLine(SystemErrorText(error)));
        return kExitRegistryFailed;
    }
    streams.OutLine(std::to_wstring(entries.size()) + L" extensions written to " + path + L".");
    return kExitDone;
}

} // namespace

std::wstring CsvField(const std::wstring& text) {
    if (text.find_first_of(L",\"\r\n") == std::wstring::npos) {
        return text;
    }
    std::wstring quoted = L"\"";
    for (const wchar_t c : text) {
        quoted += c;
        if (c == L'"') {
            quoted += c;
        }
    }
    return quoted + L"\"";
}

int RunCommandLine(const CommandLineRequest& request, StandardStreams& streams) {
    if (!request.usageError.empty()) {
        streams.ErrorLine(request.usageError);
        return kExitUsage;
    }
    if (request.verb == Verb::Help) {
        streams.Out(UsageText());
        return kExitDone;
    }
    if (request.version && !PolicyVersion(*request.version)) {
        streams.ErrorLine(L"/version needs a whole number from 1, as in /version:1.");
        return kExitUsage;
    }
    if (!CheckWindowsVersion()) {
        streams.ErrorLine(L"VT File Associations only runs on Windows Vista");
        return 1; // as the window's gate
    }
    if (request.machine && !MayWriteMachineRegistration()) {
        streams.ErrorLine(L"/machine changes the registration of every user of this computer: "
                          L"run it from an elevated prompt (Run as administrator) or an "
                          L"installer.");
        return kExitNoRights;
    }

    // The catalogue as the window has it when its list is filled.
    std::wstring playerPath;
    ExtensionCatalogue catalogue;
    ExtensionSet knownVideo, knownAudio;
    AddBuiltInEntries(playerPath, catalogue);
    FillKnownVideoSet(knownVideo);
    FillKnownAudioSet(knownAudio);
    ReadRegisteredIcons(catalogue);
    if (request.definitions) {
        DefinitionProblems problems(*request.definitions, streams);
        LoadIdfFile(*request.definitions, catalogue, problems);
        if (problems.Count() != 0) {
            return kExitUsage;
        }
    }
    const TypeSelection selection =
        SelectTypes(request.types.value_or(L"all"), catalogue, knownVideo, knownAudio);
    if (const std::wstring problem = SelectionProblem(selection); !problem.empty()) {
        streams.ErrorLine(problem);
        return kExitUsage;
    }

    switch (request.verb) {
    case Verb::Register:
        return Register(selection.entries, playerPath, request, streams);
    case Verb::Unregister:
        return Unregister(selection.entries, request, streams);
    case Verb::Status:
        return WriteStatus(selection.entries, playerPath, streams);
    case Verb::Policy:
        return WritePolicy(selection.entries, request, streams);
    case Verb::None:
    case Verb::Help:
        break;
    }
    return kExitDone;
}
