// The names of a key's subkeys, listed once so that many names can be looked up without a
// registry call each. A name asked for that is not there costs a round trip as dear as one listed,
// so the key is listed only when it holds fewer subkeys than names are to be looked up; otherwise
// (and when it cannot be listed) the set knows nothing and every name may be there.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>

class SubkeyNameSet {
public:
    SubkeyNameSet(HKEY parent, const std::wstring& path, std::size_t lookups);

    // False only when the name is surely not a subkey: the key was listed (or is not there) and
    // the name is not among its subkeys. Names are compared in ASCII letter case; for a name
    // beyond ASCII the registry's own case folding decides, so it may be there.
    bool MayHold(const std::wstring& name) const;

private:
    std::optional<std::set<std::wstring>> names; // in upper case; nothing when not listed
};
