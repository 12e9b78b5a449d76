#include "catalogue/TypeSelection.h"

#include "catalogue/ExtensionGate.h"
#include "common/AsciiCase.h"

#include <set>

TypeSelection SelectTypes(const std::wstring& list, const ExtensionCatalogue& catalogue,
                          const ExtensionSet& knownVideo, const ExtensionSet& knownAudio) {
    TypeSelection selection;
    if (list.empty()) {
        selection.problem = TypeSelection::Problem::EmptyList;
        return selection;
    }
    bool all = false;
    bool video = false;
    bool audio = false;
    std::set<std::wstring, ExtensionLess> named;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(L',', start);
        const std::wstring item =
            list.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        if (item.empty()) {
            selection.problem = TypeSelection::Problem::EmptyItem;
            return selection;
        }
        const std::wstring key = LowerAscii(WithoutLeadingFullStop(item));
        if (EqualIgnoringAsciiCase(item, L"all")) {
            all = true;
        } else if (EqualIgnoringAsciiCase(item, L"video")) {
            video = true;
        } else if (EqualIgnoringAsciiCase(item, L"audio")) {
            audio = true;
        } else if (catalogue.Contains(key)) {
            named.insert(key);
        } else {
            selection.problem = TypeSelection::Problem::UnknownType;
            selection.item = item;
            return selection;
        }
        if (comma == std::wstring::npos) {
            break;
        }
        start = comma + 1;
    }
    for (const auto& keyAndEntry : catalogue) {
        const std::wstring& extension = keyAndEntry.first;
        if (all || (video && knownVideo.Contains(extension)) ||
            (audio && knownAudio.Contains(extension)) || named.count(extension) != 0) {
            selection.entries.push_back(keyAndEntry.second);
        }
    }
    return selection;
}
