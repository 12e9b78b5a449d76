#include "registration/AssociationState.h"

#include "common/AsciiCase.h"
#include "common/RegistryNames.h"
#include "registration/RegisterExtension.h"
#include "registry/RegistryKey.h"
#include "registry/SubkeyNameSet.h"

#include <windows.h>

#include <optional>

namespace {

// The text of a string value below HKEY_CURRENT_USER; nothing when the key or the value is
// missing, is not a string or cannot be read. The key is opened for reading only.
std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name) {
    try {
        if (const auto key =
                CRegistryKey::OpenIfPresent(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE)) {
            return key->QueryTextIfPresent(name);
        }
    } catch (const CRegistryKey::Exception&) {
        // unreadable: not the tool's
    }
    return std::nullopt;
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

// Whether Veltrano's file type of the extension is there with the tool's open command. What the
// registration refuses, it never wrote.
bool RegisteredForVeltrano(const std::wstring& extension, const std::wstring& playerPath) {
    if (RefusedExtension(extension)) {
        return false;
    }
    const auto command = ReadText(OpenCommandPath(extension), L"");
    return command && EqualIgnoringAsciiCase(*command, OpenCommand(playerPath));
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
                           bool userChoiceMayExist) {
    if (!RegisteredForVeltrano(extension, playerPath)) {
        return AssociationState::NotRegistered;
    }
    return StateOf(extension, true, userChoiceMayExist ? ReadUserChoice(extension) : std::nullopt);
}

} // namespace

AssociationState ReadAssociationState(const std::wstring& extension,
                                      const std::wstring& playerPath) {
    return ReadState(extension, playerPath, true);
}

std::vector<AssociationState> ReadAssociationStates(const std::vector<std::wstring>& extensions,
                                                    const std::wstring& playerPath) {
    const SubkeyNameSet classes(HKEY_CURRENT_USER, kClassesPath, extensions.size());
    const SubkeyNameSet fileExts(HKEY_CURRENT_USER, kFileExtsPath, extensions.size());
    std::vector<AssociationState> states;
    states.reserve(extensions.size());
    for (const std::wstring& extension : extensions) {
        states.push_back(classes.MayHold(FileTypeName(extension))
                             ? ReadState(extension, playerPath, fileExts.MayHold(L"." + extension))
                             : AssociationState::NotRegistered);
    }
    return states;
}

std::vector<TypeAssociation> ReadTypeAssociations(const std::vector<std::wstring>& extensions,
                                                  const std::wstring& playerPath) {
    const SubkeyNameSet classes(HKEY_CURRENT_USER, kClassesPath, extensions.size());
    const SubkeyNameSet fileExts(HKEY_CURRENT_USER, kFileExtsPath, extensions.size());
    std::vector<TypeAssociation> associations;
    associations.reserve(extensions.size());
    for (const std::wstring& extension : extensions) {
        const std::optional<std::wstring> choice =
            !RefusedExtension(extension) && fileExts.MayHold(L"." + extension)
                ? ReadUserChoice(extension)
                : std::nullopt;
        const bool registered = classes.MayHold(FileTypeName(extension)) &&
                                RegisteredForVeltrano(extension, playerPath);
        associations.push_back({StateOf(extension, registered, choice), choice.value_or(L"")});
    }
    return associations;
}
