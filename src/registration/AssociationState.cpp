#include "registration/AssociationState.h"

#include "common/AsciiCase.h"
#include "common/RegistryNames.h"
#include "registration/RegisterExtension.h"
#include "registry/RegistryKey.h"
#include "registry/SubkeyNameSet.h"

#include <windows.h>

#include <optional>

namespace {

// A string value of a key: whether the key is there, and its text; no text when the value is
// missing, is not a string or cannot be read. The key is opened for reading only.
struct TextRead {
    bool keyPresent = false;
    std::optional<std::wstring> text;
};

TextRead ReadKeyText(HKEY root, const std::wstring& path, const wchar_t* name) {
    TextRead read;
    try {
        if (const auto key = CRegistryKey::OpenIfPresent(root, path, KEY_QUERY_VALUE)) {
            read.keyPresent = true;
            read.text = key->QueryTextIfPresent(name);
        }
    } catch (const CRegistryKey::Exception&) {
        // unreadable: not the tool's
    }
    return read;
}

std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name) {
    return ReadKeyText(HKEY_CURRENT_USER, path, name).text;
}

// The file type that the user choice of the extension (as the list shows it) names, read in
// Windows' order; nothing when no key holds one. Opens the keys for reading only: from Windows 8 on
// a user choice denies its user the right to change it.
std::optional<std::wstring> ReadUserChoice(const std::wstring& extension) {
    const std::wstring extKeyPath = FileExtsPath(extension);
    for (const UserChoiceKey& key : UserChoiceKeys()) {
        if (auto progId = ReadText(extKeyPath + L"\\" + ProgIdKeyPath(key), L"ProgId")) {
            return progId;
        }
    }
    return std::nullopt;
}

} // namespace

const std::array<UserChoiceKey, 2>& UserChoiceKeys() {
    static constexpr std::array<UserChoiceKey, 2> keys = {{
        {L"UserChoiceLatest", L"ProgId"},
        {L"UserChoice", nullptr},
    }};
    return keys;
}

std::wstring ProgIdKeyPath(const UserChoiceKey& key) {
    return key.progIdKey != nullptr ? std::wstring(key.name) + L"\\" + key.progIdKey : key.name;
}

namespace {

// The open command of Veltrano's file type for the extension in each scope, and whether each is
// the tool's. What the registration refuses, it never wrote.
struct CommandScopes {
    TextRead user, machine;
    bool userIsTools = false, machineIsTools = false;

    // As Windows merges the classes: the user's key, when there is one, hides the machine's.
    bool MergedIsTools() const { return user.keyPresent ? userIsTools : machineIsTools; }
};

// Reads the user's command and, when `bothScopes` or when the user has no key to hide it, the
// machine's.
CommandScopes ReadCommands(const std::wstring& extension, const std::wstring& playerPath,
                           bool userMayHold, bool machineMayHold, bool bothScopes) {
    CommandScopes commands;
    if (RefusedExtension(extension)) {
        return commands;
    }
    const std::wstring path = OpenCommandPath(extension);
    const std::wstring tools = OpenCommand(playerPath);
    const auto isTools = [&tools](const TextRead& read) {
        return read.text && EqualIgnoringAsciiCase(*read.text, tools);
    };
    if (userMayHold) {
        commands.user = ReadKeyText(HKEY_CURRENT_USER, path, L"");
        commands.userIsTools = isTools(commands.user);
    }
    if (machineMayHold && (bothScopes || !commands.user.keyPresent)) {
        commands.machine = ReadKeyText(HKEY_LOCAL_MACHINE, path, L"");
        commands.machineIsTools = isTools(commands.machine);
    }
    return commands;
}

AssociationState StateOf(const std::wstring& extension, bool registered,
                         const std::optional<std::wstring>& userChoice) {
    if (!registered) {
        return AssociationState::NotRegistered;
    }
    return userChoice && EqualIgnoringAsciiCase(*userChoice, FileTypeName(extension))
               ? AssociationState::OpensWithVeltrano
               : AssociationState::RegisteredElsewhere;
}

// As ReadAssociationState; the user choice is looked for only when Explorer may keep one.
AssociationState ReadState(const std::wstring& extension, const std::wstring& playerPath,
                           bool userMayHold, bool machineMayHold, bool userChoiceMayExist) {
    if (!ReadCommands(extension, playerPath, userMayHold, machineMayHold, false).MergedIsTools()) {
        return AssociationState::NotRegistered;
    }
    return StateOf(extension, true, userChoiceMayExist ? ReadUserChoice(extension) : std::nullopt);
}

// Whether the machine holds Veltrano's registration at all: its file associations in Default
// apps, which the registration writes with each file type once the type is complete. Without them
// no file type of the machine is looked for (a machine's classes are many, and a file type that
// nothing points at opens nothing).
bool MachineHoldsVeltrano() {
    try {
        return CRegistryKey::OpenIfPresent(HKEY_LOCAL_MACHINE,
                                           L"Software\\" + std::wstring(kFileAssociationsKey),
                                           KEY_QUERY_VALUE)
            .has_value();
    } catch (const CRegistryKey::Exception&) {
        return true; // unreadable: looked for type by type
    }
}

// The names of the classes of both scopes, listed where that saves lookups.
struct ClassNames {
    explicit ClassNames(std::size_t lookups)
        : user(HKEY_CURRENT_USER, kClassesPath, lookups),
          machine(MachineHoldsVeltrano()
                      ? std::optional<SubkeyNameSet>(std::in_place, HKEY_LOCAL_MACHINE,
                                                     kClassesPath, lookups)
                      : std::nullopt),
          fileExts(HKEY_CURRENT_USER, kFileExtsPath, lookups) {}
    bool MachineMayHold(const std::wstring& fileType) const {
        return machine && machine->MayHold(fileType);
    }
    SubkeyNameSet user;
    std::optional<SubkeyNameSet> machine;
    SubkeyNameSet fileExts;
};

} // namespace

AssociationState ReadAssociationState(const std::wstring& extension,
                                      const std::wstring& playerPath) {
    return ReadState(extension, playerPath, true, true, true);
}

std::vector<AssociationState> ReadAssociationStates(const std::vector<std::wstring>& extensions,
                                                    const std::wstring& playerPath) {
    const ClassNames names(extensions.size());
    std::vector<AssociationState> states;
    states.reserve(extensions.size());
    for (const std::wstring& extension : extensions) {
        const std::wstring fileType = FileTypeName(extension);
        const bool user = names.user.MayHold(fileType);
        const bool machine = names.MachineMayHold(fileType);
        states.push_back(user || machine ? ReadState(extension, playerPath, user, machine,
                                                     names.fileExts.MayHold(L"." + extension))
                                         : AssociationState::NotRegistered);
    }
    return states;
}

std::vector<TypeAssociation> ReadTypeAssociations(const std::vector<std::wstring>& extensions,
                                                  const std::wstring& playerPath) {
    const ClassNames names(extensions.size());
    std::vector<TypeAssociation> associations;
    associations.reserve(extensions.size());
    for (const std::wstring& extension : extensions) {
        const std::wstring fileType = FileTypeName(extension);
        const CommandScopes commands =
            ReadCommands(extension, playerPath, names.user.MayHold(fileType),
                         names.MachineMayHold(fileType), true);
        const std::optional<std::wstring> choice =
            !RefusedExtension(extension) && names.fileExts.MayHold(L"." + extension)
                ? ReadUserChoice(extension)
                : std::nullopt;
        associations.push_back({StateOf(extension, commands.MergedIsTools(), choice),
                                choice.value_or(L""), commands.userIsTools,
                                commands.machineIsTools});
    }
    return associations;
}
