#include "catalogue/ExtensionCatalogue.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <type_traits>
#include <utility>
#include <vector>

int CompareExtensions(const std::wstring& a, const std::wstring& b) {
    // wchar_t is an unsigned 16-bit type on Windows, but the comparison must not depend on that:
    // code units above 0x7FFF sort after every other one.
    using CodeUnit = std::make_unsigned_t<wchar_t>;
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        const CodeUnit left = static_cast<CodeUnit>(a[i]);
        const CodeUnit right = static_cast<CodeUnit>(b[i]);
        if (left != right) {
            return left < right ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool ExtensionCatalogue::AddEntry(ExtensionEntry entry) {
    std::wstring key = entry.extension;
    return entries.try_emplace(std::move(key), std::move(entry)).second;
}

void ExtensionCatalogue::AddOrReplaceEntry(ExtensionEntry entry) {
    // One walk down the tree finds the entry or the place for it.
    const auto place = entries.lower_bound(entry.extension);
    if (place == entries.end() || CompareExtensions(entry.extension, place->first) != 0) {
        std::wstring key = entry.extension;
        entries.emplace_hint(place, std::move(key), std::move(entry));
        return;
    }
    // Assigning in place keeps the entry's address, so nothing but its fields changes.
    place->second = std::move(entry);
}

ExtensionEntry* ExtensionCatalogue::Find(const std::wstring& extension) {
    const auto found = entries.find(extension);
    return found == entries.end() ? nullptr : &found->second;
}

namespace {

// This program's own path. Starts with a MAX_PATH buffer and grows it while the system reports
// the path as cut, so that a program installed deep in the tree still gets its full folder.
std::wstring OwnModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) {
            return std::wstring();
        }
        if (length < size) {
            return std::wstring(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            // No path is longer than this; take what the system gave.
            return std::wstring(buffer.data(), buffer.size() - 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::wstring ComputePlayerPath() {
    std::wstring path = OwnModulePath();
    // PathRemoveFileSpecW cuts the terminated text in place.
    PathRemoveFileSpecW(path.data());
    path.resize(std::wcslen(path.c_str()));
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    path += L"vtplayer.exe";
    return path;
}
