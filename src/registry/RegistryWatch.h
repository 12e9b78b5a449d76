// Whether anything below some keys of the current user changed since the program last looked: the
// system's change notification (RegNotifyChangeKeyValue) for each key's whole tree, delivered to
// one event that the program's one thread looks at when it likes, without waiting.
#pragma once

#include "registry/RegistryKey.h"

#include <windows.h>

#include <string>
#include <vector>

class CRegistryWatch {
public:
    // Watches HKEY_CURRENT_USER\path for each of the paths once armed.
    explicit CRegistryWatch(std::vector<std::wstring> paths);
    CRegistryWatch(const CRegistryWatch&) = delete;
    CRegistryWatch& operator=(const CRegistryWatch&) = delete;

    // Starts to watch anew: from now on a change of a subkey or a value below a key counts. While
    // a key is not there, its nearest parent that is there is watched instead (the key's creation
    // changes that parent). Returns false when a key could not be watched.
    bool Arm();
    // True when something changed since Arm, and when not all is watched (never armed, or Arm
    // failed): then nobody can say that nothing changed. One look at the event, whatever the
    // number of keys.
    bool Changed() const;

private:
    std::vector<std::wstring> paths;
    std::vector<CRegistryKey> watched;
    UniqueHandle<HANDLE, CloseHandle> event;
    bool armed = false;
};
