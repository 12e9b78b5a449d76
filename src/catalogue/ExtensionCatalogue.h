// The program's model of the file types it can register: one entry per extension, ordered by
// the extension text, plus the sets of extensions known to be video or audio.
#pragma once

#include <map>
#include <set>
#include <string>

struct ExtensionEntry {
    std::wstring extension; // without the leading full stop, e.g. "mkv"; the catalogue key
    std::wstring iconFile;  // file whose icon the registration points at (may be empty)
    std::wstring iconIndex; // icon index as text, e.g. "0", "-102"; never validated
};

// Ordinal comparison by UTF-16 code units taken as unsigned numbers; case-sensitive. Returns a
// negative number, zero or a positive number.
int CompareExtensions(const std::wstring& a, const std::wstring& b);

struct ExtensionLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
        return CompareExtensions(a, b) < 0;
    }
};

// Ordered map from extension to the entry it owns. Entries keep their address for as long as
// they are in the catalogue (list rows refer to them); replacing an entry reuses its slot.
class ExtensionCatalogue {
public:
    using Map = std::map<std::wstring, ExtensionEntry, ExtensionLess>;
    using iterator = Map::iterator;
    using const_iterator = Map::const_iterator;

    // Stores the entry unless one with the same extension exists; returns whether it did.
    bool AddEntry(ExtensionEntry entry);
    // Stores the entry, replacing all fields of an existing entry with the same extension.
    void AddOrReplaceEntry(ExtensionEntry entry);

    ExtensionEntry* Find(const std::wstring& extension);
    bool Contains(const std::wstring& extension) const { return entries.count(extension) != 0; }
    std::size_t Size() const { return entries.size(); }

    iterator begin() { return entries.begin(); }
    iterator end() { return entries.end(); }
    const_iterator begin() const { return entries.begin(); }
    const_iterator end() const { return entries.end(); }

private:
    Map entries;
};

// Ordered set of extension texts; membership is exact and case-sensitive.
class ExtensionSet {
public:
    void Insert(const std::wstring& extension) { items.insert(extension); }
    bool Contains(const std::wstring& extension) const { return items.count(extension) != 0; }
    std::size_t Size() const { return items.size(); }

private:
    std::set<std::wstring, ExtensionLess> items;
};

// Full path of the player: this program's directory + "vtplayer.exe".
std::wstring ComputePlayerPath();
