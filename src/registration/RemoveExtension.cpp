#include "registration/RemoveExtension.h"

#include "common/AsciiCase.h"
#include "registration/AssociationState.h"
#include "registration/RegisterExtension.h"
#include "registration/RegistryLayout.h"
#include "registry/RegistryKey.h"

#include <windows.h>

#include <optional>

namespace {

// The subkey of parent (HKEY_CURRENT_USER or an open key) opened with the access; nothing when
// it is not there. Any other failure to open it throws.
std::optional<CRegistryKey> OpenIfPresent(HKEY parent, const std::wstring& subkey, REGSAM access) {
    try {
        return CRegistryKey(parent, subkey, access);
    } catch (const CRegistryKey::Exception& e) {
        if (e.GetError() == ERROR_FILE_NOT_FOUND) {
            return std::nullopt;
        }
        throw;
    }
}

// Deletes the subkey when it is there and holds neither values nor subkeys.
void DeleteIfEmpty(const CRegistryKey& parent, const std::wstring& subkey) {
    const auto key = OpenIfPresent(parent.GetHandle(), subkey, KEY_QUERY_VALUE);
    if (key && key->IsEmpty()) {
        parent.DeleteKey(subkey);
    }
}

// Deletes the subkey of parent that has no subkeys; absence is not a failure. Only the parent is
// opened: from Windows 8 on the user may not change a user choice, only remove it.
void DeleteThroughParent(const CRegistryKey& parent, const std::wstring& subkey) {
    const LSTATUS result = RegDeleteKeyW(parent.GetHandle(), subkey.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        throw CRegistryKey::Exception(RegistryOperation::kDeleteKey, static_cast<DWORD>(result));
    }
}

// A key of the user choice goes, with its ProgId subkey, only when its ProgId names the file type.
void RemoveUserChoice(const std::wstring& extKeyPath, const UserChoiceKey& key,
                      const std::wstring& fileType) {
    const auto choice =
        OpenIfPresent(HKEY_CURRENT_USER, extKeyPath + L"\\" + ProgIdKeyPath(key), KEY_QUERY_VALUE);
    if (!choice) {
        return;
    }
    HeapText progId;
    try {
        if (!choice->QueryValue(L"ProgId", progId) ||
            !EqualIgnoringAsciiCase(progId.get(), fileType)) {
            return; // another program's
        }
    } catch (const CRegistryKey::Exception&) {
        return; // no ProgId: not the tool's
    }
    const CRegistryKey extKey(HKEY_CURRENT_USER, extKeyPath, KEY_QUERY_VALUE);
    if (key.progIdKey != nullptr) {
        DeleteThroughParent(extKey, ProgIdKeyPath(key));
    }
    DeleteThroughParent(extKey, key.name);
}

} // namespace

bool RemoveExtension(const std::wstring& extension) {
    try {
        // A backslash would name other keys than this extension's; the registration refuses it.
        if (extension.find(L'\\') != std::wstring::npos) {
            throw CRegistryKey::Exception(RegistryOperation::kConstructor, ERROR_INVALID_NAME);
        }
        const std::wstring fileType = FileTypeName(extension);
        const std::wstring extKeyPath =
            std::wstring(kFileExtsPath) + L"\\." + UpperAscii(extension);
        const std::wstring classesExt = std::wstring(kClassesPath) + L"\\." + extension;
        // Every key of the user choice that names the file type, in the order Windows reads them.
        for (const UserChoiceKey& key : UserChoiceKeys()) {
            RemoveUserChoice(extKeyPath, key, fileType);
        }
        if (const auto openWith = OpenIfPresent(HKEY_CURRENT_USER,
                                                classesExt + L"\\OpenWithProgids", KEY_SET_VALUE)) {
            openWith->DeleteValue(fileType.c_str());
        }
        if (const auto associations =
                OpenIfPresent(HKEY_CURRENT_USER, L"Software\\" + std::wstring(kFileAssociationsKey),
                              KEY_SET_VALUE)) {
            associations->DeleteValue((L"." + extension).c_str());
        }
        const CRegistryKey classes(HKEY_CURRENT_USER, kClassesPath, KEY_QUERY_VALUE);
        if (classes.HasSubkey(fileType)) {
            classes.DeleteKeyAndSubkeys(fileType);
        }
        if (const auto ext =
                OpenIfPresent(classes.GetHandle(), L"." + extension, KEY_QUERY_VALUE)) {
            DeleteIfEmpty(*ext, L"OpenWithProgids");
        }
        DeleteIfEmpty(classes, L"." + extension);
        if (const auto fileExts =
                OpenIfPresent(HKEY_CURRENT_USER, kFileExtsPath, KEY_QUERY_VALUE)) {
            DeleteIfEmpty(*fileExts, L"." + UpperAscii(extension));
        }
        return true;
    } catch (const CRegistryKey::Exception& e) {
        ShowRegistryError(e);
        return false;
    }
}

bool RemoveApplicationIfUnused() {
    try {
        const CRegistryKey software(HKEY_CURRENT_USER, L"Software", KEY_QUERY_VALUE);
        const auto associations =
            OpenIfPresent(software.GetHandle(), kFileAssociationsKey, KEY_QUERY_VALUE);
        if (associations && !associations->IsEmpty()) {
            return true; // other extensions still name Veltrano
        }
        if (const auto capabilities =
                OpenIfPresent(software.GetHandle(), kCapabilitiesKey, KEY_SET_VALUE)) {
            for (const wchar_t* value :
                 {kApplicationNameValue, kApplicationDescriptionValue, kApplicationIconValue}) {
                capabilities->DeleteValue(value);
            }
        }
        // From the innermost key out, each only when nothing else is left in it.
        const std::wstring chain[] = {kFileAssociationsKey, kCapabilitiesKey,
                                      L"Clients\\Media\\Veltrano", L"Clients\\Media", L"Clients"};
        for (const std::wstring& path : chain) {
            const std::size_t last = path.rfind(L'\\');
            const std::wstring parentPath = last == std::wstring::npos ? L"" : path.substr(0, last);
            const auto parent = parentPath.empty() ? std::optional<CRegistryKey>(software)
                                                   : OpenIfPresent(software.GetHandle(), parentPath,
                                                                   KEY_QUERY_VALUE);
            if (parent) {
                DeleteIfEmpty(*parent, path.substr(last + 1));
            }
        }
        if (const auto registered =
                OpenIfPresent(software.GetHandle(), kRegisteredApplicationsKey, KEY_SET_VALUE)) {
            registered->DeleteValue(kApplicationName);
        }
        return true;
    } catch (const CRegistryKey::Exception& e) {
        ShowRegistryError(e);
        return false;
    }
}
