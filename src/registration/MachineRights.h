// Whether this process may write the machine's registration: an elevated token (an administrator's
// or SYSTEM's) and HKEY_LOCAL_MACHINE\Software\Classes writable.
#pragma once

bool MayWriteMachineRegistration();
