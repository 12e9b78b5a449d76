// Whose associations the registration writes and the removal takes back: the current user's, or
// the machine's for every user. Both hold the same keys below their Software key; Explorer's user
// choice belongs to a user only. Windows merges the two, the user's keys first.
#pragma once

#include <windows.h>

enum class RegistrationScope { User, Machine };

inline HKEY ScopeRoot(RegistrationScope scope) {
    return scope == RegistrationScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}
