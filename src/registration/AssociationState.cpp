#include "registration/AssociationState.h"

#include "common/AsciiCase.h"
#include "common/RegistryNames.h"
#include "registration/RegisterExtension.h"
#include "registry/RegistryKey.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>

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

bool IsAscii(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

// The names of the current user's classes, in upper case, when there are fewer than limit;
// nothing when there are as many or more, or when they cannot be listed. Names beyond ASCII are
// left out: the registry's own case folding decides for those.
std::optional<std::set<std::wstring>> ClassNamesIfFewer(std::size_t limit) {
    try {
        const auto classes = CRegistryKey::OpenIfPresent(HKEY_CURRENT_USER, kClassesPath, KEY_READ);
        if (!classes) {
            return std::set<std::wstring>();
        }
        if (classes->SubkeyCount() >= limit) {
            return std::nullopt;
        }
        std::set<std::wstring> names;
        for (CRegistryKey::SubkeyIterator at(*classes); at != CRegistryKey::SubkeyIterator();
             at.Advance()) {
            names.insert(UpperAscii(at.GetName()));
        }
        return names;
    } catch (const CRegistryKey::Exception&) {
        return std::nullopt; // each type is asked for on its own
    }
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

AssociationState ReadAssociationState(const std::wstring& extension,
                                      const std::wstring& playerPath) {
    // What the registration refuses, it never wrote.
    if (RefusedExtension(extension)) {
        return AssociationState::NotRegistered;
    }
    const std::wstring fileType = FileTypeName(extension);
    const auto command = ReadText(OpenCommandPath(extension), L"");
    if (!command || !EqualIgnoringAsciiCase(*command, OpenCommand(playerPath))) {
        return AssociationState::NotRegistered;
    }
    const auto choice = ReadUserChoice(extension);
    return choice && EqualIgnoringAsciiCase(*choice, fileType)
               ? AssociationState::OpensWithVeltrano
               : AssociationState::RegisteredElsewhere;
}

std::vector<AssociationState> ReadAssociationStates(const std::vector<std::wstring>& extensions,
                                                    const std::wstring& playerPath) {
    const auto classes = ClassNamesIfFewer(extensions.size());
    std::vector<AssociationState> states;
    states.reserve(extensions.size());
    for (const std::wstring& extension : extensions) {
        const std::wstring fileType = FileTypeName(extension);
        const bool absent =
            classes && IsAscii(fileType) && classes->count(UpperAscii(fileType)) == 0;
        states.push_back(absent ? AssociationState::NotRegistered
                                : ReadAssociationState(extension, playerPath));
    }
    return states;
}
