#include "registration/RegisterExtension.h"

#include "common/AsciiCase.h"
#include "catalogue/BuiltInExtensions.h"
#include "catalogue/ExtensionGate.h"
#include "common/RegistryNames.h"
#include "registration/DefaultApps.h"
#include "registry/RegistryKey.h"

#include <windows.h>
#include <shlobj.h>

namespace {

const wchar_t kPlayerClassId[] = L"{4B3D9E21-7C55-4A08-9F6E-2D1B8C0A5E73}";
const wchar_t kShellExtensionClassId[] = L"{9C61E0B4-35A2-4F7D-B08E-61C4D2F3A917}";

// The subkey of parent, created or opened; `created` tells whether it is new (and so empty).
CRegistryKey CreateOrOpen(const CRegistryKey& parent, const std::wstring& subkey, bool& created) {
    DWORD disposition = 0;
    CRegistryKey key = parent.CreateOrOpenKey(subkey, &disposition);
    created = disposition == REG_CREATED_NEW_KEY;
    return key;
}

// Writes the file type; the user choice is pointed at it only once it is complete.
void WriteProgId(RegistrationKeys& keys, const std::wstring& progId, const std::wstring& ext,
                 const std::wstring& iconFile, const std::wstring& iconIndex,
                 const std::wstring& playerPath, bool shellExtension) {
    // A key just created has no subkeys: there is nothing to remove below it.
    bool newProgId = false;
    const CRegistryKey progIdKey = CreateOrOpen(keys.Classes(), progId, newProgId);
    progIdKey.SetValue(nullptr, REG_SZ, DescribeExtension(ext));
    progIdKey.CreateOrOpenKey(L"CLSID").SetValue(nullptr, REG_SZ, kPlayerClassId);

    if (shellExtension) {
        progIdKey.CreateOrOpenKey(L"ShellEx")
            .CreateOrOpenKey(L"ContextMenuHandlers")
            .CreateOrOpenKey(L"VTShellExt")
            .SetValue(nullptr, REG_SZ, kShellExtensionClassId);
    } else if (!newProgId) {
        progIdKey.DeleteKeyAndSubkeysIfPresent(L"ShellEx");
    }

    progIdKey.CreateOrOpenKey(kDefaultIconKey)
        .SetValue(nullptr, REG_SZ, iconFile + L"," + iconIndex);

    bool newShell = false;
    const CRegistryKey shellKey = CreateOrOpen(progIdKey, L"shell", newShell);
    shellKey.SetValue(nullptr, REG_SZ, L"open");
    shellKey.CreateOrOpenKey(L"open")
        .CreateOrOpenKey(L"command")
        .SetValue(nullptr, REG_SZ, OpenCommand(playerPath));
    if (!newShell) {
        shellKey.DeleteKeyAndSubkeysIfPresent(L"play");
        shellKey.DeleteKeyAndSubkeysIfPresent(L"enqueue");
    }
}

// Offers the file type among the extension's "Open with" programs and lists it among the
// application's file associations, so that Default apps offers Veltrano for the extension.
void WriteDefaultAppsEntries(RegistrationKeys& keys, const std::wstring& progId,
                             const std::wstring& ext) {
    const CRegistryKey openWith =
        keys.Classes().CreateOrOpenKey(L"." + ext).CreateOrOpenKey(L"OpenWithProgids");
    openWith.SetEmptyValue(progId.c_str());
    keys.FileAssociations().SetValue((L"." + ext).c_str(), REG_SZ, progId);
}

// Replaces the Explorer user choice of the extension by one that names only the file type.
void WriteUserChoice(RegistrationKeys& keys, const std::wstring& progId, const std::wstring& ext) {
    bool newExtKey = false;
    const CRegistryKey extKey = CreateOrOpen(keys.FileExts(), L"." + ext, newExtKey);
    if (!newExtKey && extKey.HasSubkey(L"UserChoice")) {
        try {
            extKey.DeleteKeyIfPresent(L"UserChoice");
        } catch (const CRegistryKey::Exception&) {
            // Not recursive, and its outcome is not looked at: a user choice that stays is
            // reported by CreateKey below.
        }
    }
    extKey.CreateKey(L"UserChoice").SetValue(L"Progid", REG_SZ, progId);
}

} // namespace

std::optional<CRegistryKey::Exception> RefusedExtension(const std::wstring& extension) {
    if (ExtensionRefusal(extension) == nullptr) {
        return std::nullopt;
    }
    return CRegistryKey::Exception(RegistryOperation::kCreateOrOpenKey, ERROR_INVALID_NAME);
}

RegistrationKeys::RegistrationKeys(RegistrationScope scope)
    : root(ScopeRoot(scope)), writeUserChoice(scope == RegistrationScope::User &&
                                              ProgramWritesUserChoice(RunningWindowsVersion())) {}
RegistrationKeys::RegistrationKeys(bool writeUserChoice)
    : root(HKEY_CURRENT_USER), writeUserChoice(writeUserChoice) {}
RegistrationKeys::~RegistrationKeys() = default;

const CRegistryKey& RegistrationKeys::Classes() {
    if (!classes) {
        classes = std::make_unique<CRegistryKey>(root, kClassesPath, KEY_CREATE_SUB_KEY);
    }
    return *classes;
}

const CRegistryKey& RegistrationKeys::FileExts() {
    if (!fileExts) {
        const CRegistryKey explorer(root, kExplorerPath, KEY_CREATE_SUB_KEY);
        fileExts = std::make_unique<CRegistryKey>(explorer.CreateOrOpenKey(L"FileExts"));
    }
    return *fileExts;
}

const CRegistryKey& RegistrationKeys::FileAssociations() {
    if (!fileAssociations) {
        const CRegistryKey software(root, L"Software", KEY_CREATE_SUB_KEY);
        fileAssociations =
            std::make_unique<CRegistryKey>(software.CreateOrOpenKey(kFileAssociationsKey));
    }
    return *fileAssociations;
}

RegistryOutcome RegisterExtension(std::wstring extension, std::wstring iconFile,
                                  std::wstring iconIndex, std::wstring playerPath,
                                  bool shellExtension) {
    RegistrationKeys keys;
    return RegisterExtension(keys, std::move(extension), std::move(iconFile), std::move(iconIndex),
                             std::move(playerPath), shellExtension);
}

RegistryOutcome RegisterExtension(RegistrationKeys& keys, std::wstring extension,
                                  std::wstring iconFile, std::wstring iconIndex,
                                  std::wstring playerPath, bool shellExtension) {
    try {
        if (const auto refused = RefusedExtension(extension)) {
            throw *refused;
        }
        const std::wstring shown = extension; // as the list shows it
        extension = UpperAscii(extension);
        const std::wstring progId = FileTypeName(extension);
        WriteProgId(keys, progId, extension, iconFile, iconIndex, playerPath, shellExtension);
        if (keys.WritesUserChoice()) {
            WriteUserChoice(keys, progId, extension);
        }
        WriteDefaultAppsEntries(keys, progId, shown);
        return {};
    } catch (const CRegistryKey::Exception& e) {
        return e;
    }
}

RegistryOutcome RegisterApplication(const std::wstring& playerPath, RegistrationScope scope) {
    try {
        const std::wstring capabilitiesPath = L"Software\\" + std::wstring(kCapabilitiesKey);
        const CRegistryKey software(ScopeRoot(scope), L"Software", KEY_CREATE_SUB_KEY);
        const CRegistryKey capabilities = software.CreateOrOpenKey(kCapabilitiesKey);
        capabilities.SetValue(kApplicationNameValue, REG_SZ, kApplicationName);
        capabilities.SetValue(kApplicationDescriptionValue, REG_SZ, L"Veltrano media player");
        capabilities.SetValue(kApplicationIconValue, REG_SZ, L"\"" + playerPath + L"\",0");
        software.CreateOrOpenKey(kRegisteredApplicationsKey)
            .SetValue(kApplicationName, REG_SZ, capabilitiesPath);
        return {};
    } catch (const CRegistryKey::Exception& e) {
        return e;
    }
}

AssociationCounts RegisterExtensions(const std::vector<ExtensionEntry>& entries,
                                     const std::wstring& playerPath,
                                     const std::function<bool()>& shellExtension,
                                     AssociationReporter& reporter, RegistrationScope scope) {
    AssociationCounts counts;
    RegistrationKeys keys(scope); // opened once for all the extensions
    for (const ExtensionEntry& entry : entries) {
        const RegistryOutcome outcome = RegisterExtension(
            keys, entry.extension, entry.iconFile, entry.iconIndex, playerPath, shellExtension());
        if (outcome) {
            ++counts.done;
        } else {
            ++counts.failed;
            reporter.TypeFailed(entry.extension, *outcome.Failure());
        }
    }
    if (counts.done > 0) {
        const RegistryOutcome application = RegisterApplication(playerPath, scope);
        counts.applicationDone = static_cast<bool>(application);
        if (!application) {
            reporter.ApplicationFailed(*application.Failure());
        }
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return counts;
}
