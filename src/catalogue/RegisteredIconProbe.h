// Carries the icons of earlier registrations (HKCU\Software\Classes\VT<ext>File\DefaultIcon)
// over into the catalogue. Silent: every failure, and an icon file that IconFileRefusal refuses,
// leaves its entry as it was.
#pragma once

#include "catalogue/ExtensionCatalogue.h"

void ReadRegisteredIcons(ExtensionCatalogue& catalogue);
