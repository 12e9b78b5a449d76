// How the window shows the failures of a registration or a removal: each in an error box without
// owner, with the system's text for the error and the failed operation as caption, as it happens.
#pragma once

#include "registration/AssociationReport.h"

class RegistryErrorBoxes : public AssociationReporter {
public:
    void TypeFailed(const std::wstring& extension, const CRegistryKey::Exception& failure) override;
    void ApplicationFailed(const CRegistryKey::Exception& failure) override;
};
