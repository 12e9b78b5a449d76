// Writes, for the current user (or, asked for, for the machine: RegistrationScope), the file type
// (ProgID) of one extension and, for a user on Windows Vista and 7, the Explorer user choice that
// points the extension at it, and makes Veltrano known to the system's Default apps as a handler
// of the extension. From Windows 8 on the user choice is left alone: only Windows writes one
// there, when the user picks a program in Default apps.
#pragma once

#include "catalogue/ExtensionCatalogue.h"
#include "registration/AssociationReport.h"
#include "registration/RegistrationScope.h"
#include "registry/RegistryKey.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The keys that every extension's registration writes below: Software\Classes, Explorer's
// FileExts and Veltrano's FileAssociations. One object serves all the extensions of one "Set
// Associations", so each key is opened (or created) once. A key that cannot be had is asked for
// again by the next extension, which then fails the same way, as if each opened its own.
class RegistrationKeys {
public:
    // For a user, writes the user choice where the running Windows lets a program do it (Vista
    // and 7); for the machine never.
    explicit RegistrationKeys(RegistrationScope scope = RegistrationScope::User);
    // The current user's keys.
    explicit RegistrationKeys(bool writeUserChoice);
    ~RegistrationKeys();
    RegistrationKeys(const RegistrationKeys&) = delete;
    RegistrationKeys& operator=(const RegistrationKeys&) = delete;

    const CRegistryKey& Classes();
    const CRegistryKey& FileExts();
    const CRegistryKey& FileAssociations();
    // False: Explorer's FileExts\.EXT is not touched at all.
    bool WritesUserChoice() const { return writeUserChoice; }

private:
    HKEY root;
    bool writeUserChoice;
    std::unique_ptr<CRegistryKey> classes, fileExts, fileAssociations;
};

// The failure that registering or removing the extension meets before the registry is touched
// when ExtensionRefusal refuses it (a backslash would make its names stand for other keys, even
// another extension's user choice, and a program's type would open the player instead of the
// program): ERROR_INVALID_NAME, as a file type that cannot be created. Nothing when the extension
// may be registered.
std::optional<CRegistryKey::Exception> RefusedExtension(const std::wstring& extension);

// Registers one extension. A registry failure stops this extension's remaining steps and is
// returned; what was written before stays. An extension that RefusedExtension refuses fails before
// anything is written.
// Besides the file type and the user choice it writes, once those are complete, the file type's
// name under Software\Classes\.ext\OpenWithProgids and the extension among Veltrano's file
// associations (Software\Clients\Media\Veltrano\Capabilities\FileAssociations).
RegistryOutcome RegisterExtension(std::wstring extension, std::wstring iconFile,
                                  std::wstring iconIndex, std::wstring playerPath,
                                  bool shellExtension);
// The same with keys shared by the extensions registered one after another.
RegistryOutcome RegisterExtension(RegistrationKeys& keys, std::wstring extension,
                                  std::wstring iconFile, std::wstring iconIndex,
                                  std::wstring playerPath, bool shellExtension);

// The name under which Veltrano is registered with Default apps.
inline constexpr wchar_t kApplicationName[] = L"Veltrano";

// Registers Veltrano with Default apps: its capabilities (name, description, icon) and its entry
// under Software\RegisteredApplications. A failure stops it and is returned.
RegistryOutcome RegisterApplication(const std::wstring& playerPath,
                                    RegistrationScope scope = RegistrationScope::User);

// Registers the extensions of the entries in their order, each failure reported as it happens, the
// next extension registered after it; `shellExtension` is asked before each extension whether it
// gets the player's context-menu handler. When at least one extension was registered, registers
// Veltrano with Default apps. Then tells the shell once that associations changed, whatever
// happened.
AssociationCounts RegisterExtensions(const std::vector<ExtensionEntry>& entries,
                                     const std::wstring& playerPath,
                                     const std::function<bool()>& shellExtension,
                                     AssociationReporter& reporter,
                                     RegistrationScope scope = RegistrationScope::User);
