#include "catalogue/RegisteredIconProbe.h"

#include "catalogue/IconLocationGate.h"
#include "registry/RegistryKey.h"

#include <windows.h>

#include <utility>

void ReadRegisteredIcons(ExtensionCatalogue& catalogue) {
    for (auto& item : catalogue) {
        ExtensionEntry& entry = item.second;
        // Key names are compared without case: this finds the upper-case VT<EXT>File that a
        // registration wrote.
        const std::wstring path = L"Software\\Classes\\VT" + entry.extension + L"File\\DefaultIcon";
        try {
            // Read only: an icon that the user may read but not change is carried over too.
            const CRegistryKey iconKey(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE);
            HeapText stored;
            if (!iconKey.QueryValue(L"", stored)) {
                continue; // not a text
            }
            // The icon file may itself contain commas: the index follows the last one.
            const std::wstring location = stored.get();
            const std::size_t comma = location.rfind(L',');
            std::wstring file = comma == std::wstring::npos ? L"" : location.substr(0, comma);
            // Other software may have left a path to another computer there: such an icon is
            // not carried over, so that it is neither shown nor registered again.
            if (IconFileRefusal(file) != nullptr) {
                continue;
            }
            entry.iconFile = std::move(file);
            entry.iconIndex = comma == std::wstring::npos ? location : location.substr(comma + 1);
        } catch (const CRegistryKey::Exception&) {
            // No earlier registration, or one that cannot be read: the entry stays as it is.
        }
    }
}
