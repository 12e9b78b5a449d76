// vtassoc.exe run from a script: each command line as a child process with its standard output
// and error in pipes, judged by its exit code, what it wrote and the registry it left.
#include "registry/RegistryTestSupport.h"

#include "common/SystemErrorText.h"
#include "definitions/TestFiles.h"
#include "support/RefusedInputs.h"
#include "support/TestFolder.h"
#include "support/e2e/AppDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The types whose registration the table looks at; VTX comes from the definition file.
const wchar_t* const kLookedAt[] = {L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"};

// Where the tool lies: beside the player, alone, or in a folder whose name holds "%".
enum class Folder { WithPlayer, WithoutPlayer, Percent };

struct CommandCase {
    const wchar_t* arguments; // blank-separated; the tool's folder is the current directory
    const wchar_t* windows;   // the version Wine reports to the tool
    Folder folder;
    const wchar_t* before; // a command line run first, or nullptr
    std::function<void()> seed;
    DWORD exitCode;
    // Standard output: exactly this text, or (with a leading "~") a text that holds this line.
    std::string out;
    // Standard error: one line per item, each beginning with the item.
    std::vector<std::wstring> err;
    // Types of kLookedAt whose file type is there afterwards; nullptr: the registry below
    // HKCU\Software is as it was before the command.
    const wchar_t* registered;
    bool shellExtension = false; // the registered file types carry the shell extension
};

std::vector<std::wstring> Words(const std::wstring& text) {
    std::wistringstream in(text);
    std::vector<std::wstring> words;
    for (std::wstring word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

// The lines of the output, each of which must end with CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the last line ends with CR LF: " << text;
    return lines;
}

std::wstring RegisteredTypes(bool shellExtension) {
    std::wstring types;
    for (const wchar_t* type : kLookedAt) {
        const TypeNames names(type);
        if (RawKeyExists(names.fileType)) {
            types += (types.empty() ? L"" : L",") + std::wstring(type);
            EXPECT_EQ(shellExtension, RawKeyExists(names.fileType + L"\\ShellEx")) << names.progId;
        }
    }
    return types;
}

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        for (const auto& [kind, name] :
             {std::pair{Folder::WithPlayer, L"player"}, std::pair{Folder::WithoutPlayer, L"alone"},
              std::pair{Folder::Percent, L"100%"}}) {
            const std::wstring folder = root.MakeFolder(name);
            for (const wchar_t* windows : {L"win7", L"win10"}) {
                const std::wstring tool = folder + L"vtassoc-cli-" + windows + L".exe";
                CopyFileW(kTool.c_str(), tool.c_str(), FALSE);
                tools[{kind, windows}] = tool;
            }
            if (kind != Folder::WithoutPlayer) {
                WriteBytes(folder + L"vtplayer.exe", "");
            }
        }
        for (const wchar_t* windows : {L"win7", L"win10"}) {
            SetRawString(L"Software\\Wine\\AppDefaults\\vtassoc-cli-" + std::wstring(windows) +
                             L".exe",
                         L"Version", windows);
        }
        WriteBytes(root.Path() + L"player\\good.idf", "AddExt(ext=vtx,file=,index=1)\r\n"
                                                      "AddExt(ext=x,y,file=,index=2)\r\n");
        WriteBytes(root.Path() + L"player\\bad.idf", "AddExt(ext=exe,file=,index=1)\r\n"
                                                     "not a statement\r\n"
                                                     "AddExt(ext=vtx,file=,index=1)\r\n");
    }
    ~CommandLineTest() override {
        for (const wchar_t* windows : {L"win7", L"win10"}) {
            DeleteRawTree(L"Software\\Wine\\AppDefaults\\vtassoc-cli-" + std::wstring(windows) +
                          L".exe");
        }
    }

    ProgramOutput Run(const CommandCase& c, const wchar_t* arguments) {
        const std::wstring& tool = tools[{c.folder, c.windows}];
        const std::wstring folder = tool.substr(0, tool.find_last_of(L'\\') + 1);
        // A command that showed a box or waited for input would never end by itself.
        ProgramOutput output = RunWithOutput(tool, Words(arguments), folder, 60000);
        EXPECT_TRUE(output.endedByItself) << "the command waited for something";
        return output;
    }

    static inline const std::wstring kTool = WindowsPathOfHostFile(VTASSOC_EXE);
    TestFolder root{L"vt-cli"};
    std::map<std::pair<Folder, std::wstring>, std::wstring> tools;
};

const std::string kUsage = "VT File Associations: makes Veltrano the current user's handler";

TEST_F(CommandLineTest, EachCommandLineGivesItsExitCodeOutputAndRegistry) {
    const std::wstring exists = SystemErrorPhrase(ERROR_ALREADY_EXISTS);
    const auto otherChoice = [] { SetRawUserChoiceLatest(L"MKV", L"Other.mkv"); };
    // A user choice with a subkey cannot be replaced: the registration of .mkv fails there.
    const auto stuckChoice = [] {
        CreateRawKey(TypeNames(L"MKV").fileExts + L"\\UserChoice\\Sub");
    };
    const std::wstring refusedExe = std::wstring(L"bad.idf(1): Line refused: ") + kProgram;
    const CommandCase cases[] = {
        {L"/?", L"win7", Folder::WithPlayer, nullptr, {}, 0, "~" + kUsage, {}, nullptr},
        {L"/register /types:mkv,mp3",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "2 extensions registered.\r\n",
         {},
         L"MKV,MP3"},
        {L"-REGISTER -Types=MKV,.mp3,mkv /shellext",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "2 extensions registered.\r\n",
         {},
         L"MKV,MP3",
         true},
        {L"/register /types:video",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "~",
         {},
         L"MKV,AVI"},
        {L"/register /types:audio,mkv",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "~",
         {},
         L"MKV,MP3,WAV"},
        {L"/status /types:mkv,mp3,avi",
         L"win7",
         Folder::WithPlayer,
         L"/register /types:mkv,mp3",
         {},
         0,
         "Extension,State,UserChoice\r\n.avi,not-registered,\r\n.mkv,opens,VTMKVFile\r\n"
         ".mp3,opens,VTMP3File\r\n",
         {},
         L"MKV,MP3"},
        // From Windows 8 on no user choice is written and Default apps is left to the user.
        {L"/register /types:mkv",
         L"win10",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "1 extensions registered.\r\nWindows lets each user choose Veltrano for a type in "
         "Settings > Default apps.\r\n",
         {},
         L"MKV"},
        {L"/status /types:mkv,mp3",
         L"win10",
         Folder::WithPlayer,
         L"/register /types:mkv,mp3",
         otherChoice,
         0,
         "Extension,State,UserChoice\r\n.mkv,registered,Other.mkv\r\n.mp3,registered,\r\n",
         {},
         L"MKV,MP3"},
        {L"/unregister /types:mkv",
         L"win7",
         Folder::WithPlayer,
         L"/register /types:mkv,mp3",
         {},
         0,
         "1 extensions removed.\r\n",
         {},
         L"MP3"},
        {L"/unregister",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "82 extensions removed.\r\n",
         {},
         L""},
        {L"/register /types:mkv,mp3",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         stuckChoice,
         1,
         "1 extensions registered.\r\n",
         {L".mkv: CRegistryKey::CreateKey(): " + exists},
         L"MKV,MP3"},
        // Definition files: their types can be named, and a comma is quoted in the CSV.
        {L"/def:good.idf /register /types:vtx",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "1 extensions registered.\r\n",
         {},
         L"VTX"},
        {L"/status /def:good.idf",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         0,
         "~\".x,y\",not-registered,",
         {},
         nullptr},
        {L"/register /def:bad.idf",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {refusedExe, L"bad.idf(2): Error while Parsing Line"},
         nullptr},
        {L"/register /def:missing.idf",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"missing.idf: Cannot open file: "},
         nullptr},
        {L"/register /types:vtx",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/types: \"vtx\" is none of"},
         nullptr},
        // The player.
        {L"/register /types:mkv",
         L"win7",
         Folder::WithoutPlayer,
         nullptr,
         {},
         3,
         "",
         {L"Veltrano was not found: "},
         nullptr},
        {L"/register /types:mkv /force",
         L"win7",
         Folder::WithoutPlayer,
         nullptr,
         {},
         0,
         "1 extensions registered.\r\n",
         {},
         L"MKV"},
        {L"/register /types:mkv /force",
         L"win7",
         Folder::Percent,
         nullptr,
         {},
         3,
         "",
         {L"The path of Veltrano holds a percent sign (%)"},
         nullptr},
        // Usage errors.
        {L"/register /bogus",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"\"/bogus\" is not a switch of /register."},
         nullptr},
        {L"/register /status",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"Only one of /register, /unregister, /status and /?"},
         nullptr},
        {L"/register /types",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/types needs a value"},
         nullptr},
        {L"/register /types:",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/types needs a value"},
         nullptr},
        {L"/register /force:yes",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/force takes no value."},
         nullptr},
        {L"/status /shellext",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/shellext is not a switch of /status."},
         nullptr},
        {L"/register /types:mkv /types:mp3",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/types is given twice."},
         nullptr},
        {L"/register /types:mkv,,mp3",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/types holds an empty item"},
         nullptr},
        {L"/register good.idf",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"\"good.idf\" is not a switch of /register."},
         nullptr},
        {L"/types:mkv",
         L"win7",
         Folder::WithPlayer,
         nullptr,
         {},
         2,
         "",
         {L"/types needs one of /register, /unregister and /status."},
         nullptr},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.arguments) + L" on " + c.windows));
        const CleanRegistrations clean{L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"};
        if (c.before != nullptr) {
            ASSERT_EQ(0u, Run(c, c.before).exitCode);
        }
        if (c.seed) {
            c.seed();
        }
        const std::wstring before = DumpTree(HKEY_CURRENT_USER, L"Software");
        const ProgramOutput output = Run(c, c.arguments);

        EXPECT_EQ(c.exitCode, output.exitCode);
        if (c.out.empty() || c.out[0] != '~') {
            EXPECT_EQ(c.out, output.out);
        } else if (c.out.size() > 1) {
            const std::vector<std::string> lines = Lines(output.out);
            EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& line) {
                                       return line.rfind(c.out.substr(1), 0) == 0;
                                   }),
                      lines.end())
                << output.out;
        }
        const std::vector<std::string> errors = Lines(output.err);
        ASSERT_EQ(c.err.size(), errors.size()) << output.err;
        for (std::size_t i = 0; i < errors.size(); ++i) {
            EXPECT_EQ(0u, errors[i].rfind(Utf8(c.err[i]), 0)) << errors[i];
        }
        if (c.registered == nullptr) {
            EXPECT_EQ(L"", DiffLines(before, DumpTree(HKEY_CURRENT_USER, L"Software")));
        } else {
            EXPECT_EQ(c.registered, RegisteredTypes(c.shellExtension));
        }
        if (c.seed) {
            DeleteRawTree(TypeNames(L"MKV").fileExts);
        }
    }
}

} // namespace
