#include "registration/RemoveExtension.h"

#include "common/AsciiCase.h"
#include "common/RegistryNames.h"
#include "registration/AssociationState.h"
#include "registration/RegisterExtension.h"
#include "registry/RegistryKey.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>

namespace {

// Deletes the subkey when it is there and holds neither values nor subkeys.
void DeleteIfEmpty(const CRegistryKey& parent, const std::wstring& subkey) {
    const auto key = parent.OpenKeyIfPresent(subkey, KEY_QUERY_VALUE);
    if (key && key->IsEmpty()) {
        parent.DeleteKey(subkey);
    }
}

// A key of the user choice goes, with its ProgId subkey, only when its ProgId names the file type.
void RemoveUserChoice(const std::wstring& extKeyPath, const UserChoiceKey& key,
                      const std::wstring& fileType) {
    const auto choice = CRegistryKey::OpenIfPresent(
        HKEY_CURRENT_USER, extKeyPath + L"\\" + ProgIdKeyPath(key), KEY_QUERY_VALUE);
    if (!choice) {
        return;
    }
    std::optional<std::wstring> progId;
    try {
        progId = choice->QueryTextIfPresent(L"ProgId");
    } catch (const CRegistryKey::Exception&) {
        return; // an unreadable ProgId: not the tool's
    }
    if (!progId || !EqualIgnoringAsciiCase(*progId, fileType)) {
        return; // none, or another program's
    }
    // Only the parent is opened: from Windows 8 on the user may not change a user choice, only
    // remove it.
    const CRegistryKey extKey(HKEY_CURRENT_USER, extKeyPath, KEY_QUERY_VALUE);
    if (key.progIdKey != nullptr) {
        extKey.DeleteKeyIfPresent(ProgIdKeyPath(key));
    }
    extKey.DeleteKeyIfPresent(key.name);
}

} // namespace

RegistryOutcome RemoveExtension(const std::wstring& extension, RegistrationScope scope) {
    try {
        // What the registration refuses, it never wrote; its names could stand for other keys.
        if (const auto refused = RefusedExtension(extension)) {
            throw *refused;
        }
        const std::wstring fileType = FileTypeName(extension);
        const std::wstring extKeyPath = FileExtsPath(extension);
        const std::wstring classesExt = std::wstring(kClassesPath) + L"\\." + extension;
        const HKEY root = ScopeRoot(scope);
        const bool user = scope == RegistrationScope::User;
        // Every key of a user's choice that names the file type, in the order Windows reads them.
        if (user) {
            for (const UserChoiceKey& key : UserChoiceKeys()) {
                RemoveUserChoice(extKeyPath, key, fileType);
            }
        }
        if (const auto openWith = CRegistryKey::OpenIfPresent(
                root, classesExt + L"\\OpenWithProgids", KEY_SET_VALUE)) {
            openWith->DeleteValue(fileType.c_str());
        }
        if (const auto associations = CRegistryKey::OpenIfPresent(
                root, L"Software\\" + std::wstring(kFileAssociationsKey), KEY_SET_VALUE)) {
            associations->DeleteValue((L"." + extension).c_str());
        }
        const CRegistryKey classes(root, kClassesPath, KEY_QUERY_VALUE);
        classes.DeleteKeyAndSubkeysIfPresent(fileType);
        if (const auto ext = classes.OpenKeyIfPresent(L"." + extension, KEY_QUERY_VALUE)) {
            DeleteIfEmpty(*ext, L"OpenWithProgids");
        }
        DeleteIfEmpty(classes, L"." + extension);
        if (!user) {
            return {};
        }
        if (const auto fileExts =
                CRegistryKey::OpenIfPresent(HKEY_CURRENT_USER, kFileExtsPath, KEY_QUERY_VALUE)) {
            DeleteIfEmpty(*fileExts, L"." + UpperAscii(extension));
        }
        return {};
    } catch (const CRegistryKey::Exception& e) {
        return e;
    }
}

RegistryOutcome RemoveApplicationIfUnused(RegistrationScope scope) {
    try {
        const CRegistryKey software(ScopeRoot(scope), L"Software", KEY_QUERY_VALUE);
        const auto associations = software.OpenKeyIfPresent(kFileAssociationsKey, KEY_QUERY_VALUE);
        if (associations && !associations->IsEmpty()) {
            return {}; // other extensions still name Veltrano
        }
        if (const auto capabilities = software.OpenKeyIfPresent(kCapabilitiesKey, KEY_SET_VALUE)) {
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
            const auto parent = parentPath.empty()
                                    ? std::optional<CRegistryKey>(software)
                                    : software.OpenKeyIfPresent(parentPath, KEY_QUERY_VALUE);
            if (parent) {
                DeleteIfEmpty(*parent, path.substr(last + 1));
            }
        }
        if (const auto registered =
                software.OpenKeyIfPresent(kRegisteredApplicationsKey, KEY_SET_VALUE)) {
            registered->DeleteValue(kApplicationName);
        }
        return {};
    } catch (const CRegistryKey::Exception& e) {
        return e;
    }
}

AssociationCounts RemoveExtensions(const std::vector<std::wstring>& extensions,
                                   AssociationReporter& reporter, RegistrationScope scope) {
    AssociationCounts counts;
    for (const std::wstring& extension : extensions) {
        const RegistryOutcome outcome = RemoveExtension(extension, scope);
        if (outcome) {
            ++counts.done;
        } else {
            ++counts.failed;
            reporter.TypeFailed(extension, *outcome.Failure());
        }
    }
    const RegistryOutcome application = RemoveApplicationIfUnused(scope);
    counts.applicationDone = static_cast<bool>(application);
    if (!application) {
        reporter.ApplicationFailed(*application.Failure());
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return counts;
}
