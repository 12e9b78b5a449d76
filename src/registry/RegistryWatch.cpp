#include "registry/RegistryWatch.h"

#include <utility>

CRegistryWatch::CRegistryWatch(std::wstring path)
    : path(std::move(path)), event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool CRegistryWatch::Arm() {
    armed = false;
    if (!event) {
        return false;
    }
    ResetEvent(event.get());
    // The key itself, or while it is absent its nearest parent: re-armed after the key has been
    // created, the watch moves down to it.
    watched.reset();
    try {
        for (std::wstring candidate = path; !watched;) {
            watched = CRegistryKey::OpenIfPresent(HKEY_CURRENT_USER, candidate, KEY_NOTIFY);
            if (!watched) {
                if (candidate.empty()) {
                    return false;
                }
                const std::size_t last = candidate.rfind(L'\\');
                candidate.erase(last == std::wstring::npos ? 0 : last);
            }
        }
    } catch (const CRegistryKey::Exception&) {
        return false; // a key that may not be watched: every look says "changed"
    }
    constexpr DWORD kWhat = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    armed = RegNotifyChangeKeyValue(watched->GetHandle(), TRUE, kWhat, event.get(), TRUE) ==
            ERROR_SUCCESS;
    return armed;
}

bool CRegistryWatch::Changed() const {
    return !armed || WaitForSingleObject(event.get(), 0) != WAIT_TIMEOUT;
}
