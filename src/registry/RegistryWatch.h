// Whether anything below a key of the current user changed since the program last looked: the
// system's change notification (RegNotifyChangeKeyValue) for the key's whole tree, delivered to an
// event that the program's one thread looks at when it likes, without waiting.
#pragma once

#include "registry/RegistryKey.h"

#include <windows.h>

#include <optional>
#include <string>

class CRegistryWatch {
public:
    // Watches HKEY_CURRENT_USER\path once armed.
    explicit CRegistryWatch(std::wstring path);
    CRegistryWatch(const CRegistryWatch&) = delete;
    CRegistryWatch& operator=(const CRegistryWatch&) = delete;

    // Starts to watch anew: from now on a change of a subkey or a value below the key counts. While
    // the key is not there, its nearest parent that is there is watched instead (the key's
    // creation changes that parent). Returns false when nothing could be watched.
    bool Arm();
    // True when something changed since Arm, and when nothing is watched (never armed, or Arm
    // failed): then nobody can say that nothing changed.
    bool Changed() const;

private:
    std::wstring path;
    std::optional<CRegistryKey> watched;
    UniqueHandle<HANDLE, CloseHandle> event;
    bool armed = false;
};
