#include "registration/RegisterExtension.h"

#include "common/AsciiCase.h"
#include "catalogue/BuiltInExtensions.h"
#include "catalogue/ExtensionGate.h"
#include "registration/DefaultApps.h"
#include "registration/RegistryLayout.h"
#include "registry/RegistryKey.h"

#include <windows.h>

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

// Removes the subkey with everything below it when it is there; only its absence is not a
// failure (a key that is there but may not be opened or deleted is).
void DeleteTreeIfPresent(const CRegistryKey& parent, const std::wstring& subkey) {
    if (parent.HasSubkey(subkey)) {
        parent.DeleteKeyAndSubkeys(subkey);
    }
}

// Writes the file type; the user choice is pointed at it only once it is complete.
void WriteProgId(RegistrationKeys& keys, const std::wstring& progId, const std::wstring& ext,
                 const std::wstring& iconFile, const std::wstring& iconIndex,
                 const std::wstring& playerPath, bool shellExtension) {
    const CRegistryKey& classes = keys.Classes();
    // The definition files' gate, once more where the file type would be created: a backslash
    // would split the names below into further keys, so that the writes would land in other
    // places than this extension's (even in another extension's user choice), and a program's
    // type would open the player instead of the program.
    if (ExtensionRefusal(ext) != nullptr) {
        throw CRegistryKey::Exception(RegistryOperation::kCreateOrOpenKey, ERROR_INVALID_NAME);
    }
    // A key just created has no subkeys: there is nothing to remove below it.
    bool newProgId = false;
    const CRegistryKey progIdKey = CreateOrOpen(classes, progId, newProgId);
    progIdKey.SetValue(nullptr, REG_SZ, DescribeExtension(ext));
    progIdKey.CreateOrOpenKey(L"CLSID").SetValue(nullptr, REG_SZ, kPlayerClassId);

    if (shellExtension) {
        progIdKey.CreateOrOpenKey(L"ShellEx")
            .CreateOrOpenKey(L"ContextMenuHandlers")
            .CreateOrOpenKey(L"VTShellExt")
            .SetValue(nullptr, REG_SZ, kShellExtensionClassId);
    } else if (!newProgId) {
        DeleteTreeIfPresent(progIdKey, L"ShellEx");
    }

    progIdKey.CreateOrOpenKey(L"DefaultIcon")
        .SetValue(nullptr, REG_SZ, iconFile + L"," + iconIndex);

    bool newShell = false;
    const CRegistryKey shellKey = CreateOrOpen(progIdKey, L"shell", newShell);
    shellKey.SetValue(nullptr, REG_SZ, L"open");
    shellKey.CreateOrOpenKey(L"open")
        .CreateOrOpenKey(L"command")
        .SetValue(nullptr, REG_SZ, OpenCommand(playerPath));
    if (!newShell) {
        DeleteTreeIfPresent(shellKey, L"play");
        DeleteTreeIfPresent(shellKey, L"enqueue");
    }
}

// Offers the file type among the extension's "Open with" programs and lists it among the
// application's file associations, so that Default apps offers Veltrano for the extension.
void WriteDefaultAppsEntries(RegistrationKeys& keys, const std::wstring& progId,
                             const std::wstring& ext) {
    const CRegistryKey openWith =
        keys.Classes().CreateOrOpenKey(L"." + ext).CreateOrOpenKey(L"OpenWithProgids");
    // An empty REG_NONE value: only its name counts.
    const LSTATUS result =
        RegSetValueExW(openWith.GetHandle(), progId.c_str(), 0, REG_NONE, nullptr, 0);
    if (result != ERROR_SUCCESS) {
        throw CRegistryKey::Exception(RegistryOperation::kSetValue, static_cast<DWORD>(result));
    }
    keys.FileAssociations().SetValue((L"." + ext).c_str(), REG_SZ, progId);
}

// Replaces the Explorer user choice of the extension by one that names only the file type.
void WriteUserChoice(RegistrationKeys& keys, const std::wstring& progId, const std::wstring& ext) {
    bool newExtKey = false;
    const CRegistryKey extKey = CreateOrOpen(keys.FileExts(), L"." + ext, newExtKey);
    if (!newExtKey && extKey.HasSubkey(L"UserChoice")) {
        // Not recursive, and its outcome is not looked at: a user choice that stays is reported
        // by CreateKey below.
        RegDeleteKeyW(extKey.GetHandle(), L"UserChoice");
    }
    extKey.CreateKey(L"UserChoice").SetValue(L"Progid", REG_SZ, progId);
}

} // namespace

void ShowRegistryError(const CRegistryKey::Exception& e) {
    const std::wstring text = e.GetErrorMessage();
    MessageBoxW(nullptr, text.c_str(), e.GetWhere(), MB_ICONERROR);
}

std::wstring FileTypeName(const std::wstring& extension) {
    return L"VT" + UpperAscii(extension) + L"File";
}

std::wstring OpenCommand(const std::wstring& playerPath) {
    return L"\"" + playerPath + L"\" \"%L\"";
}

RegistrationKeys::RegistrationKeys()
    : RegistrationKeys(ProgramWritesUserChoice(RunningWindowsVersion())) {}
RegistrationKeys::RegistrationKeys(bool writeUserChoice) : writeUserChoice(writeUserChoice) {}
RegistrationKeys::~RegistrationKeys() = default;

const CRegistryKey& RegistrationKeys::Classes() {
    if (!classes) {
        classes =
            std::make_unique<CRegistryKey>(HKEY_CURRENT_USER, kClassesPath, KEY_CREATE_SUB_KEY);
    }
    return *classes;
}

const CRegistryKey& RegistrationKeys::FileExts() {
    if (!fileExts) {
        const CRegistryKey explorer(HKEY_CURRENT_USER, kExplorerPath, KEY_CREATE_SUB_KEY);
        fileExts = std::make_unique<CRegistryKey>(explorer.CreateOrOpenKey(L"FileExts"));
    }
    return *fileExts;
}

const CRegistryKey& RegistrationKeys::FileAssociations() {
    if (!fileAssociations) {
        const CRegistryKey user(HKEY_CURRENT_USER, L"Software", KEY_CREATE_SUB_KEY);
        fileAssociations =
            std::make_unique<CRegistryKey>(user.CreateOrOpenKey(kFileAssociationsKey));
    }
    return *fileAssociations;
}

bool RegisterExtension(std::wstring extension, std::wstring iconFile, std::wstring iconIndex,
                       std::wstring playerPath, bool shellExtension) {
    RegistrationKeys keys;
    return RegisterExtension(keys, std::move(extension), std::move(iconFile), std::move(iconIndex),
                             std::move(playerPath), shellExtension);
}

bool RegisterExtension(RegistrationKeys& keys, std::wstring extension, std::wstring iconFile,
                       std::wstring iconIndex, std::wstring playerPath, bool shellExtension) {
    try {
        const std::wstring shown = extension; // as the list shows it
        extension = UpperAscii(extension);
        const std::wstring progId = FileTypeName(extension);
        WriteProgId(keys, progId, extension, iconFile, iconIndex, playerPath, shellExtension);
        if (keys.WritesUserChoice()) {
            WriteUserChoice(keys, progId, extension);
        }
        WriteDefaultAppsEntries(keys, progId, shown);
        return true;
    } catch (const CRegistryKey::Exception& e) {
        ShowRegistryError(e);
        return false;
    }
}

bool RegisterApplication(const std::wstring& playerPath) {
    try {
        const std::wstring capabilitiesPath = L"Software\\" + std::wstring(kCapabilitiesKey);
        const CRegistryKey user(HKEY_CURRENT_USER, L"Software", KEY_CREATE_SUB_KEY);
        const CRegistryKey capabilities = user.CreateOrOpenKey(kCapabilitiesKey);
        capabilities.SetValue(kApplicationNameValue, REG_SZ, kApplicationName);
        capabilities.SetValue(kApplicationDescriptionValue, REG_SZ, L"Veltrano media player");
        capabilities.SetValue(kApplicationIconValue, REG_SZ, L"\"" + playerPath + L"\",0");
        user.CreateOrOpenKey(kRegisteredApplicationsKey)
            .SetValue(kApplicationName, REG_SZ, capabilitiesPath);
        return true;
    } catch (const CRegistryKey::Exception& e) {
        ShowRegistryError(e);
        return false;
    }
}
