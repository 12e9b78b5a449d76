#include "registration/MachineRights.h"

#include "common/RegistryNames.h"
#include "common/UniqueHandle.h"
#include "registry/RegistryKey.h"

#include <windows.h>

namespace {

bool TokenIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    const UniqueHandle<HANDLE, CloseHandle> owned(token);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

} // namespace

bool MayWriteMachineRegistration() {
    if (!TokenIsElevated()) {
        return false;
    }
    try {
        return CRegistryKey::OpenIfPresent(HKEY_LOCAL_MACHINE, kClassesPath,
                                           KEY_CREATE_SUB_KEY | KEY_SET_VALUE)
            .has_value();
    } catch (const CRegistryKey::Exception&) {
        return false; // access denied
    }
}
