// The 82 extensions the program knows without any definition file, the known video and audio
// sets, and the description written for a file type.
#pragma once

#include "catalogue/ExtensionCatalogue.h"

#include <string>

// Computes the player path and adds every built-in entry (icon: the player, index "0").
void AddBuiltInEntries(std::wstring& playerPath, ExtensionCatalogue& catalogue);
void FillKnownVideoSet(ExtensionSet& knownVideoExtensions);
void FillKnownAudioSet(ExtensionSet& knownAudioExtensions);

// The fixed description of the extension (ASCII letters compared without case), or the
// extension followed by " File (Veltrano)".
std::wstring DescribeExtension(const std::wstring& extension);
