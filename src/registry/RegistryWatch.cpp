#include "registry/RegistryWatch.h"

#include <optional>
#include <utility>

CRegistryWatch::CRegistryWatch(std::vector<std::wstring> paths)
    : paths(std::move(paths)), event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool CRegistryWatch::Arm() {
    armed = false;
    if (!event) {
        return false;
    }
    ResetEvent(event.get());
    // Each key, or while it is absent its nearest parent: re-armed after the key has been
    // created, the watch moves down to it.
    watched.clear();
    constexpr DWORD kWhat = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    try {
        for (const std::wstring& path : paths) {
            std::optional<CRegistryKey> key;
            for (std::wstring candidate = path; !key;) {
                key = CRegistryKey::OpenIfPresent(HKEY_CURRENT_USER, candidate, KEY_NOTIFY);
                if (!key) {
                    if (candidate.empty()) {
                        return false;
                    }
                    const std::size_t last = candidate.rfind(L'\\');
                    candidate.erase(last == std::wstring::npos ? 0 : last);
                }
            }
            if (RegNotifyChangeKeyValue(key->GetHandle(), TRUE, kWhat, event.get(), TRUE) !=
                ERROR_SUCCESS) {
                return false;
            }
            watched.push_back(std::move(*key));
        }
    } catch (const CRegistryKey::Exception&) {
        return false; // a key that may not be watched: every look says "changed"
    }
    armed = true;
    return armed;
}

bool CRegistryWatch::Changed() const {
    return !armed || WaitForSingleObject(event.get(), 0) != WAIT_TIMEOUT;
}
