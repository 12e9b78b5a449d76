// The file types that a list of names picks from the catalogue, as people write it on a command
// line: "all", "video" (the known video types), "audio" (the known audio types) or extensions,
// separated by commas, in any letter case.
#pragma once

#include "catalogue/ExtensionCatalogue.h"

#include <string>
#include <vector>

struct TypeSelection {
    enum class Problem {
        None,
        EmptyList,   // the list is empty
        EmptyItem,   // two commas in a row, or one at an end
        UnknownType, // `item` names no type of the catalogue
    };
    Problem problem = Problem::None;
    std::wstring item; // the item that is not a type, as written
    // The entries picked, each once, in catalogue order.
    std::vector<ExtensionEntry> entries;
};

// One leading full stop of an extension is dropped (".mkv" means mkv).
TypeSelection SelectTypes(const std::wstring& list, const ExtensionCatalogue& catalogue,
                          const ExtensionSet& knownVideo, const ExtensionSet& knownAudio);
