// The 82 extensions the program knows without any definition file, the known video and audio
// sets, and the description written for a file type.
#pragma once

#include "catalogue/ExtensionCatalogue.h"

#include <string>

// Computes the player path and adds every built-in entry (icon: the player, index "0").
void BuildCatalogue(std::wstring& playerPath, ExtensionCatalogue& catalogue);
void BuildKnownVideoSet(ExtensionSet& knownVideoExtensions);
void BuildKnownAudioSet(ExtensionSet& knownAudioExtensions);

// The fixed description of the extension (ASCII letters compared without case), or the
// extension followed by " File (Veltrano)".
std::wstring DescribeExtension(const std::wstring& extension);
