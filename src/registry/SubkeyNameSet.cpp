#include "registry/SubkeyNameSet.h"

#include "common/AsciiCase.h"
#include "registry/RegistryKey.h"

#include <algorithm>

SubkeyNameSet::SubkeyNameSet(HKEY parent, const std::wstring& path, std::size_t lookups) {
    try {
        const auto key = CRegistryKey::OpenIfPresent(parent, path, KEY_READ);
        if (!key) {
            names.emplace();
            return;
        }
        if (key->SubkeyCount() >= lookups) {
            return;
        }
        std::set<std::wstring> listed;
        for (CRegistryKey::SubkeyIterator at(*key); at != CRegistryKey::SubkeyIterator();
             at.Advance()) {
            listed.insert(UpperAscii(at.GetName()));
        }
        names = std::move(listed);
    } catch (const CRegistryKey::Exception&) {
        // not listed: every name is asked for on its own
    }
}

bool SubkeyNameSet::MayHold(const std::wstring& name) const {
    const bool ascii = std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
    return !names || !ascii || names->count(UpperAscii(name)) != 0;
}
