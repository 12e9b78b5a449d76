#include "catalogue/BuiltInExtensions.h"
#include "catalogue/ExtensionGate.h"
#include "catalogue/IconLocationGate.h"
#include "support/ThisProgram.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <vector>

namespace {

struct Expected {
    const wchar_t* extension;
    bool video;
    bool audio;
    const wchar_t* description; // for the upper-case extension, as the registration asks
};

// Every built-in extension in catalogue order.
const Expected expectedTable[] = {
    {L"3g2", true, false, L"3GPP Cellphone Video"},
    {L"3gp", true, false, L"3GPP Cellphone Video"},
    {L"aac", false, true, L"Advanced Audio Coding"},
    {L"ac3", false, true, L"Dolby Digital Audio"},
    {L"aiff", false, true, L"AIFF File (Veltrano)"},
    {L"albw", false, true, L"AlbumWrap"},
    {L"ape", false, true, L"Monkey Audio"},
    {L"asf", true, false, L"Streaming Video File"},
    {L"ass", false, false, L"ASS File (Veltrano)"},
    {L"asx", true, false, L"Streaming Index File"},
    {L"au", false, true, L"AU File (Veltrano)"},
    {L"avi", true, false, L"Audio Video File"},
    {L"avs", true, false, L"AVISynth Script File"},
    {L"b4s", false, false, L"B4S Playlist"},
    {L"cda", false, true, L"CD Audio"},
    {L"d2v", false, false, L"D2V File (Veltrano)"},
    {L"dat", true, false, L"VCD Wrapper"},
    {L"divx", true, false, L"DivX Video"},
    {L"dts", false, true, L"Digital Theater Surround"},
    {L"dvr-ms", true, false, L"Microsoft DVR"},
    {L"evo", true, false, L"Enhanced Video Object"},
    {L"flac", false, true, L"FLAC Audio"},
    {L"flc", true, false, L"FLC File (Veltrano)"},
    {L"fli", true, false, L"FLI File (Veltrano)"},
    {L"flv", true, false, L"Flash Video"},
    {L"grf", false, false, L"GRF File (Veltrano)"},
    {L"hdmov", true, false, L"High-Def Quicktime Movie"},
    {L"idf", false, false, L"IDF File (Veltrano)"},
    {L"idx", false, false, L"IDX File (Veltrano)"},
    {L"ifo", true, false, L"DVD Index File"},
    {L"ivf", true, false, L"IVF File (Veltrano)"},
    {L"m1v", true, false, L"MPEG1 Video"},
    {L"m2v", true, false, L"MPEG2 Video"},
    {L"m3u", false, false, L"M3U Playlist"},
    {L"m4a", false, true, L"MPEG4 Audio"},
    {L"m4b", false, true, L"MPEG4 Audio"},
    {L"m4v", true, false, L"MPEG4 Video"},
    {L"mid", false, true, L"Midi Audio"},
    {L"midi", false, true, L"MIDI File (Veltrano)"},
    {L"mka", false, true, L"Matroska Audio File"},
    {L"mks", false, false, L"MKS File (Veltrano)"},
    {L"mkv", true, false, L"Matroska Audio/Video File"},
    {L"mov", true, false, L"Quicktime Movie"},
    {L"mp2", false, true, L"MP2 File (Veltrano)"},
    {L"mp3", false, true, L"MPEG Layer 3 Audio"},
    {L"mp4", true, false, L"MPEG4 Video"},
    {L"mpa", false, true, L"MPEG Audio"},
    {L"mpc", false, true, L"MusePack Audio"},
    {L"mpeg", true, false, L"MPEG Video"},
    {L"mpg", true, false, L"MPEG Video"},
    {L"ofr", false, true, L"OptimFROG Audio"},
    {L"ogg", false, true, L"Ogg Audio"},
    {L"ogm", true, false, L"Ogg Movie"},
    {L"part", true, false, L"eMule Partial Download"},
    {L"pls", false, true, L"Shoutcast Playlist"},
    {L"pss", true, false, L"PSS File (Veltrano)"},
    {L"qt", true, false, L"QT File (Veltrano)"},
    {L"ra", false, true, L"Real Audio"},
    {L"ram", true, false, L"Real Media"},
    {L"rm", true, false, L"Real Media"},
    {L"rmm", true, false, L"RMM File (Veltrano)"},
    {L"rmvb", true, false, L"Real Media VBR"},
    {L"rv", true, false, L"Real Video"},
    {L"smi", false, false, L"SMI File (Veltrano)"},
    {L"snd", false, false, L"SND File (Veltrano)"},
    {L"srt", false, false, L"SRT File (Veltrano)"},
    {L"ssa", false, false, L"SSA File (Veltrano)"},
    {L"sub", false, false, L"SUB File (Veltrano)"},
    {L"swf", true, false, L"MacroMedia Flash"},
    {L"ts", true, false, L"MPEG2 Transport Stream"},
    {L"usf", false, false, L"USF File (Veltrano)"},
    {L"vob", true, false, L"Video Object File"},
    {L"vp4", true, false, L"VP4 File (Veltrano)"},
    {L"vp6", true, false, L"On2 VP6"},
    {L"vtl", true, true, L"Veltrano Playlist"},
    {L"wav", false, true, L"Windows Audio"},
    {L"wm", true, false, L"Windows Media"},
    {L"wma", false, true, L"Windows Media Audio"},
    {L"wmv", true, false, L"Windows Media Video"},
    {L"wpl", false, false, L"Windows Playlist"},
    {L"wv", false, true, L"WavePack Audio"},
    {L"xvid", true, false, L"XviD Video"},
};

std::wstring AsciiUpper(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
    }
    return text;
}

// What start-up builds.
struct BuiltIn {
    std::wstring playerPath;
    ExtensionCatalogue catalogue;
    ExtensionSet video;
    ExtensionSet audio;
    BuiltIn() {
        AddBuiltInEntries(playerPath, catalogue);
        FillKnownVideoSet(video);
        FillKnownAudioSet(audio);
    }
};

} // namespace

TEST(BuiltInCatalogue, HoldsEveryExtensionInOrderWithThePlayersFirstIcon) {
    const BuiltIn builtIn;
    // The player lies beside this test program.
    EXPECT_EQ(builtIn.playerPath, ThisProgramsFolder() + L"vtplayer.exe");
    ASSERT_EQ(builtIn.catalogue.Size(), std::size(expectedTable));
    ASSERT_EQ(std::size(expectedTable), 82u);
    std::size_t row = 0;
    for (const auto& item : builtIn.catalogue) {
        const Expected& expected = expectedTable[row++];
        EXPECT_EQ(item.first, expected.extension);
        EXPECT_EQ(item.second.extension, expected.extension);
        EXPECT_EQ(item.second.iconFile, builtIn.playerPath) << expected.extension;
        EXPECT_EQ(item.second.iconIndex, L"0") << expected.extension;
        EXPECT_EQ(ExtensionRefusal(item.first), nullptr) << expected.extension;
        EXPECT_EQ(IconFileRefusal(item.second.iconFile), nullptr) << expected.extension;
    }
    // The landmarks of the order, spelled out.
    std::vector<std::wstring> keys;
    for (const auto& item : builtIn.catalogue) {
        keys.push_back(item.first);
    }
    EXPECT_EQ(std::vector<std::wstring>(keys.begin(), keys.begin() + 3),
              (std::vector<std::wstring>{L"3g2", L"3gp", L"aac"}));
    EXPECT_EQ(std::vector<std::wstring>(keys.end() - 3, keys.end()),
              (std::vector<std::wstring>{L"wpl", L"wv", L"xvid"}));
    EXPECT_EQ(keys[73], L"vp6");
    EXPECT_EQ(keys[74], L"vtl");
    EXPECT_EQ(keys[75], L"wav");
}

TEST(BuiltInCatalogue, KnownSetsHoldExactlyTheirExtensions) {
    const BuiltIn builtIn;
    EXPECT_EQ(builtIn.video.Size(), 42u);
    EXPECT_EQ(builtIn.audio.Size(), 26u);
    int inNeither = 0;
    for (const Expected& expected : expectedTable) {
        EXPECT_EQ(builtIn.video.Contains(expected.extension), expected.video) << expected.extension;
        EXPECT_EQ(builtIn.audio.Contains(expected.extension), expected.audio) << expected.extension;
        EXPECT_FALSE(builtIn.video.Contains(AsciiUpper(expected.extension)));
        EXPECT_FALSE(builtIn.audio.Contains(AsciiUpper(expected.extension)));
        if (!expected.video && !expected.audio) {
            ++inNeither;
        }
    }
    EXPECT_EQ(inNeither, 15);
    EXPECT_TRUE(builtIn.video.Contains(L"vtl"));
    EXPECT_TRUE(builtIn.audio.Contains(L"vtl"));
}

TEST(BuiltInCatalogue, DefinitionFileEntriesReplaceOrExtendIt) {
    BuiltIn builtIn;
    ExtensionEntry* mkv = builtIn.catalogue.Find(L"mkv");
    builtIn.catalogue.AddOrReplaceEntry({L"mkv", L"C:\\Icons\\media.dll", L"-102"});
    EXPECT_EQ(builtIn.catalogue.Size(), 82u);
    EXPECT_EQ(builtIn.catalogue.Find(L"mkv"), mkv);
    EXPECT_EQ(mkv->iconFile, L"C:\\Icons\\media.dll");
    EXPECT_EQ(mkv->iconIndex, L"-102");

    builtIn.catalogue.AddOrReplaceEntry({L"vts", L"", L"-1"});
    EXPECT_EQ(builtIn.catalogue.Size(), 83u);
    EXPECT_FALSE(builtIn.video.Contains(L"vts"));
    EXPECT_FALSE(builtIn.audio.Contains(L"vts"));
}

TEST(DescribeExtension, GivesEveryBuiltInTypeItsRegisteredName) {
    int byRule = 0;
    for (const Expected& expected : expectedTable) {
        const std::wstring upper = AsciiUpper(expected.extension);
        EXPECT_EQ(DescribeExtension(upper), expected.description) << expected.extension;
        if (std::wstring(expected.description) == upper + L" File (Veltrano)") {
            ++byRule;
            // The rule keeps the text as given.
            EXPECT_EQ(DescribeExtension(expected.extension),
                      std::wstring(expected.extension) + L" File (Veltrano)");
        } else {
            EXPECT_EQ(DescribeExtension(expected.extension), expected.description);
        }
    }
    EXPECT_EQ(byRule, 23);
}

TEST(DescribeExtension, KnowsTheSkinArchiveAndDescribesOtherAdditionsByTheRule) {
    EXPECT_EQ(DescribeExtension(L"VTS"), L"Veltrano Skin Archive");
    EXPECT_EQ(DescribeExtension(L"vts"), L"Veltrano Skin Archive");
    EXPECT_EQ(DescribeExtension(L"XYZ"), L"XYZ File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L""), L" File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L".MKV"), L".MKV File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"MK"), L"MK File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"MKVX"), L"MKVX File (Veltrano)");
    EXPECT_EQ(DescribeExtension(std::wstring(L"MKV\0", 4)),
              std::wstring(L"MKV\0 File (Veltrano)", 20));
}

TEST(DescribeExtension, IgnoresTheCaseOfAsciiLettersOnly) {
    EXPECT_EQ(DescribeExtension(L"mkv"), L"Matroska Audio/Video File");
    EXPECT_EQ(DescribeExtension(L"MKV"), L"Matroska Audio/Video File");
    EXPECT_EQ(DescribeExtension(L"Mkv"), L"Matroska Audio/Video File");
    EXPECT_EQ(DescribeExtension(L"DvR-Ms"), L"Microsoft DVR");
    // Letters that Unicode case folding would equate with an ASCII letter: KELVIN SIGN (k),
    // LONG S (s), LATIN CAPITAL I WITH DOT ABOVE (i), FULLWIDTH letters.
    EXPECT_EQ(DescribeExtension(L"M\u212aV"), L"M\u212aV File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"\u017fWF"), L"\u017fWF File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"D\u0130VX"), L"D\u0130VX File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"\uff2d\uff2b\uff36"), L"\uff2d\uff2b\uff36 File (Veltrano)");
    // Characters that differ from a key's character only in the 0x20 bit are not letters.
    EXPECT_EQ(DescribeExtension(L"DVR\rMS"), L"DVR\rMS File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"\x13GP"), L"\x13GP File (Veltrano)");
    EXPECT_EQ(DescribeExtension(L"M\x14"
                                L"A"),
              L"M\x14"
              L"A File (Veltrano)");
}
