#include "registration/AssociationState.h"

#include "common/AsciiCase.h"
#include "registration/RegistryLayout.h"
#include "registry/RegistryKey.h"

#include <windows.h>

#include <optional>

namespace {

// The text of a string value below HKEY_CURRENT_USER; nothing when the key or the value is
// missing, is not a string or cannot be read. The key is opened for reading only.
std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name) {
    try {
        const CRegistryKey key(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE);
        HeapText text;
        if (key.QueryValue(name, text)) {
            return std::wstring(text.get());
        }
    } catch (const CRegistryKey::Exception&) {
        // absent or unreadable: not the tool's
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

std::optional<std::wstring> ReadUserChoice(const std::wstring& extension) {
    const std::wstring extKeyPath = std::wstring(kFileExtsPath) + L"\\." + UpperAscii(extension);
    for (const UserChoiceKey& key : UserChoiceKeys()) {
        if (auto progId = ReadText(extKeyPath + L"\\" + ProgIdKeyPath(key), L"ProgId")) {
            return progId;
        }
    }
    return std::nullopt;
}

AssociationState ReadAssociationState(const std::wstring& extension,
                                      const std::wstring& playerPath) {
    // A name with a backslash would stand for other keys; the registration refuses it.
    if (extension.find(L'\\') != std::wstring::npos) {
        return AssociationState::NotRegistered;
    }
    const std::wstring fileType = FileTypeName(extension);
    const auto command =
        ReadText(std::wstring(kClassesPath) + L"\\" + fileType + L"\\shell\\open\\command", L"");
    if (!command || !EqualIgnoringAsciiCase(*command, OpenCommand(playerPath))) {
        return AssociationState::NotRegistered;
    }
    const auto choice = ReadUserChoice(extension);
    return choice && EqualIgnoringAsciiCase(*choice, fileType)
               ? AssociationState::OpensWithVeltrano
               : AssociationState::RegisteredElsewhere;
}
