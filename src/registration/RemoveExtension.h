// Takes back what the registration wrote for an extension, and nothing that another program
// wrote: what points at the file type goes first, the file type last, so that a removal cut short
// never leaves Explorer pointing at nothing.
#pragma once

#include "registration/AssociationReport.h"
#include "registration/RegistrationScope.h"

#include <string>
#include <vector>

// Removes, below the scope's root (HKEY_CURRENT_USER for a user), for the extension (as the list
// shows it):
// - for a user, each key of Explorer's user choice (FileExts\.EXT\UserChoiceLatest with its
//   ProgId subkey, FileExts\.EXT\UserChoice), but only when it names the tool's file type;
// - the file type's name among Software\Classes\.ext\OpenWithProgids;
// - the extension among Veltrano's file associations for Default apps;
// - the file type Software\Classes\VTEXTFile with everything below it;
// - then Software\Classes\.ext\OpenWithProgids, Software\Classes\.ext and (for a user)
//   FileExts\.EXT, each only when nothing is left in it.
// Nothing to remove is no failure. A registry failure stops this extension's remaining steps and is
// returned. An extension that RefusedExtension refuses fails as its registration does, before
// anything is touched.
RegistryOutcome RemoveExtension(const std::wstring& extension,
                                RegistrationScope scope = RegistrationScope::User);

// When Veltrano is left with no file association: removes its registration with Default apps (the
// values the registration writes on its capabilities, the keys from FileAssociations up to
// Software\Clients that are left empty, its entry in Software\RegisteredApplications). A failure
// stops it and is returned.
RegistryOutcome RemoveApplicationIfUnused(RegistrationScope scope = RegistrationScope::User);

// Removes the extensions in their order, each failure reported as it happens and the next
// extension removed after it, then Veltrano's registration with Default apps when no extension is
// left to it, and tells the shell once that associations changed.
AssociationCounts RemoveExtensions(const std::vector<std::wstring>& extensions,
                                   AssociationReporter& reporter,
                                   RegistrationScope scope = RegistrationScope::User);
