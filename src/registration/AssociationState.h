// What an extension opens with now, as far as Veltrano is concerned: read back from the current
// user's registry, the inverse of what the registration writes. Reading changes nothing.
#pragma once

#include <string>

enum class AssociationState {
    // Veltrano's file type for the extension is missing, or its open command is not the tool's.
    NotRegistered,
    // The file type is complete, but the user choice names another program (or there is none).
    RegisteredElsewhere,
    // The user choice names the file type (ProgId, any letter case) and its open command is the
    // one the tool writes. From Windows 8 on only Windows writes a user choice, when the user picks
    // Veltrano in Default apps, so this is what Windows opens the type with.
    OpensWithVeltrano,
};

AssociationState ReadAssociationState(const std::wstring& extension,
                                      const std::wstring& playerPath);
