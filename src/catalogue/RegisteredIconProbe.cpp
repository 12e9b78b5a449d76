#include "catalogue/RegisteredIconProbe.h"

#include "catalogue/IconLocationGate.h"
#include "common/RegistryNames.h"
#include "registry/RegistryKey.h"
#include "registry/SubkeyNameSet.h"

#include <windows.h>

#include <optional>
#include <utility>

void ReadRegisteredIcons(ExtensionCatalogue& catalogue) {
    const SubkeyNameSet classes(HKEY_CURRENT_USER, kClassesPath, catalogue.Size());
    for (auto& item : catalogue) {
        ExtensionEntry& entry = item.second;
        if (!classes.MayHold(FileTypeName(entry.extension))) {
            continue; // never registered
        }
        std::optional<std::wstring> stored;
        try {
            // Read only: an icon that the user may read but not change is carried over too.
            if (const auto iconKey = CRegistryKey::OpenIfPresent(
                    HKEY_CURRENT_USER, DefaultIconPath(entry.extension), KEY_QUERY_VALUE)) {
                stored = iconKey->QueryTextIfPresent(L"");
            }
        } catch (const CRegistryKey::Exception&) {
            // An earlier registration that cannot be read: the entry stays as it is.
        }
        if (!stored) {
            continue; // no earlier registration, or no text in it
        }
        // The index follows the last comma (a file with a comma of its own is refused below).
        const std::wstring& location = *stored;
        const std::size_t comma = location.rfind(L',');
        std::wstring file = comma == std::wstring::npos ? L"" : location.substr(0, comma);
        // Other software may have left a path to another computer there: such an icon is not
        // carried over, so that it is neither shown nor registered again.
        if (IconFileRefusal(file) != nullptr) {
            continue;
        }
        entry.iconFile = std::move(file);
        entry.iconIndex = comma == std::wstring::npos ? location : location.substr(comma + 1);
    }
}
