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

// As ReadAssociationState; the user choice is looked for only when Explorer may keep one.
AssociationState ReadState(const std::wstring& extension, const std::wstring& playerPath,
                           bool userChoiceMayExist) {
    // What the registration refuses, it never wrote.
    if (RefusedExtension(extension)) {
        return AssociationState::NotRegistered;
    }
    const std::wstring fileType = FileTypeName(extension);
    const auto command = ReadText(OpenCommandPath(extension), L"");
    if (!command || !EqualIgnoringAsciiCase(*command, OpenCommand(playerPath))) {
        return AssociationState::NotRegistered;
    }
    const auto choice = userChoiceMayExist ? ReadUserChoice(extension) : std::nullopt;
    return choice && EqualIgnoringAsciiCase(*choice, fileType)
               ? AssociationState::OpensWithVeltrano
               : AssociationState::RegisteredElsewhere;
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
