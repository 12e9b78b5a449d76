#include "catalogue/BuiltInExtensions.h"

#include "common/AsciiCase.h"

namespace {

enum KnownSet : unsigned { None = 0, Video = 1, Audio = 2 };

struct BuiltInExtension {
    const wchar_t* extension;
    unsigned sets; // KnownSet bits
};

// The extensions the program knows without any definition file, with the known sets that hold
// them.
const BuiltInExtension builtInExtensions[] = {
    {L"3g2", Video},  {L"3gp", Video},  {L"aac", Audio},         {L"ac3", Audio},
    {L"aiff", Audio}, {L"albw", Audio}, {L"ape", Audio},         {L"asf", Video},
    {L"ass", None},   {L"asx", Video},  {L"au", Audio},          {L"avi", Video},
    {L"avs", Video},  {L"b4s", None},   {L"cda", Audio},         {L"d2v", None},
    {L"dat", Video},  {L"divx", Video}, {L"dts", Audio},         {L"dvr-ms", Video},
    {L"evo", Video},  {L"flac", Audio}, {L"flc", Video},         {L"fli", Video},
    {L"flv", Video},  {L"grf", None},   {L"hdmov", Video},       {L"idf", None},
    {L"idx", None},   {L"ifo", Video},  {L"ivf", Video},         {L"m1v", Video},
    {L"m2v", Video},  {L"m3u", None},   {L"m4a", Audio},         {L"m4b", Audio},
    {L"m4v", Video},  {L"mid", Audio},  {L"midi", Audio},        {L"mka", Audio},
    {L"mks", None},   {L"mkv", Video},  {L"mov", Video},         {L"mp2", Audio},
    {L"mp3", Audio},  {L"mp4", Video},  {L"mpa", Audio},         {L"mpc", Audio},
    {L"mpeg", Video}, {L"mpg", Video},  {L"ofr", Audio},         {L"ogg", Audio},
    {L"ogm", Video},  {L"part", Video}, {L"pls", Audio},         {L"pss", Video},
    {L"qt", Video},   {L"ra", Audio},   {L"ram", Video},         {L"rm", Video},
    {L"rmm", Video},  {L"rmvb", Video}, {L"rv", Video},          {L"smi", None},
    {L"snd", None},   {L"srt", None},   {L"ssa", None},          {L"sub", None},
    {L"swf", Video},  {L"ts", Video},   {L"usf", None},          {L"vob", Video},
    {L"vp4", Video},  {L"vp6", Video},  {L"vtl", Video | Audio}, {L"wav", Audio},
    {L"wm", Video},   {L"wma", Audio},  {L"wmv", Video},         {L"wpl", None},
    {L"wv", Audio},   {L"xvid", Video},
};

struct Description {
    const wchar_t* key;
    const wchar_t* text;
};

// The fixed descriptions; every other extension is described by the rule in DescribeExtension.
const Description descriptions[] = {
    {L"3g2", L"3GPP Cellphone Video"},
    {L"3gp", L"3GPP Cellphone Video"},
    {L"aac", L"Advanced Audio Coding"},
    {L"ac3", L"Dolby Digital Audio"},
    {L"albw", L"AlbumWrap"},
    {L"ape", L"Monkey Audio"},
    {L"asf", L"Streaming Video File"},
    {L"asx", L"Streaming Index File"},
    {L"avi", L"Audio Video File"},
    {L"avs", L"AVISynth Script File"},
    {L"b4s", L"B4S Playlist"},
    {L"cda", L"CD Audio"},
    {L"dat", L"VCD Wrapper"},
    {L"divx", L"DivX Video"},
    {L"dts", L"Digital Theater Surround"},
    {L"dvr-ms", L"Microsoft DVR"},
    {L"evo", L"Enhanced Video Object"},
    {L"flac", L"FLAC Audio"},
    {L"flv", L"Flash Video"},
    {L"hdmov", L"High-Def Quicktime Movie"},
    {L"ifo", L"DVD Index File"},
    {L"m1v", L"MPEG1 Video"},
    {L"m2v", L"MPEG2 Video"},
    {L"m3u", L"M3U Playlist"},
    {L"m4a", L"MPEG4 Audio"},
    {L"m4b", L"MPEG4 Audio"},
    {L"m4v", L"MPEG4 Video"},
    {L"mp4", L"MPEG4 Video"},
    {L"mid", L"Midi Audio"},
    {L"mka", L"Matroska Audio File"},
    {L"mkv", L"Matroska Audio/Video File"},
    {L"mov", L"Quicktime Movie"},
    {L"mp3", L"MPEG Layer 3 Audio"},
    {L"mpa", L"MPEG Audio"},
    {L"mpc", L"MusePack Audio"},
    {L"mpeg", L"MPEG Video"},
    {L"mpg", L"MPEG Video"},
    {L"ofr", L"OptimFROG Audio"},
    {L"ogg", L"Ogg Audio"},
    {L"ogm", L"Ogg Movie"},
    {L"part", L"eMule Partial Download"},
    {L"pls", L"Shoutcast Playlist"},
    {L"ra", L"Real Audio"},
    {L"ram", L"Real Media"},
    {L"rm", L"Real Media"},
    {L"rmvb", L"Real Media VBR"},
    {L"rv", L"Real Video"},
    {L"swf", L"MacroMedia Flash"},
    {L"ts", L"MPEG2 Transport Stream"},
    {L"vob", L"Video Object File"},
    {L"vp6", L"On2 VP6"},
    {L"wav", L"Windows Audio"},
    {L"wm", L"Windows Media"},
    {L"wma", L"Windows Media Audio"},
    {L"wmv", L"Windows Media Video"},
    {L"wpl", L"Windows Playlist"},
    {L"wv", L"WavePack Audio"},
    {L"xvid", L"XviD Video"},
    {L"vtl", L"Veltrano Playlist"},
    {L"vts", L"Veltrano Skin Archive"},
};

void BuildKnownSet(ExtensionSet& set, unsigned which) {
    for (const BuiltInExtension& builtIn : builtInExtensions) {
        if ((builtIn.sets & which) != 0) {
            set.Insert(builtIn.extension);
        }
    }
}

} // namespace

void AddBuiltInEntries(std::wstring& playerPath, ExtensionCatalogue& catalogue) {
    playerPath = ComputePlayerPath();
    for (const BuiltInExtension& builtIn : builtInExtensions) {
        catalogue.AddEntry(ExtensionEntry{builtIn.extension, playerPath, L"0"});
    }
}

void FillKnownVideoSet(ExtensionSet& knownVideoExtensions) {
    BuildKnownSet(knownVideoExtensions, Video);
}

void FillKnownAudioSet(ExtensionSet& knownAudioExtensions) {
    BuildKnownSet(knownAudioExtensions, Audio);
}

std::wstring DescribeExtension(const std::wstring& extension) {
    for (const Description& description : descriptions) {
        if (EqualIgnoringAsciiCase(extension, description.key)) {
            return description.text;
        }
    }
    return extension + L" File (Veltrano)";
}
