// vtassoc.exe run from a script: each command line as a child process with its standard output
// and error in pipes, judged by its exit code, what it wrote and the registry it left.
#include "registry/RegistryTestSupport.h"

#include "app/CommandLineRun.h"
#include "app/StandardStreams.h"
#include "common/SystemErrorText.h"
#include "common/Utf8.h"
#include "definitions/TestFiles.h"
#include "support/ImportHook.h"
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
    std::vector<const wchar_t*> before; // command lines run first
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
    // The same for the machine's registration (MachineState); nullptr: as before the command.
    const wchar_t* machine = nullptr;
    // The policy file out.xml afterwards, whole; "": there is none; nullptr: not looked at.
    const char* policy = nullptr;
};

std::vector<std::wstring> Words(const std::wstring& text) {
    std::wistringstream in(text);
    std::vector<std::wstring> words;
    for (std::wstring word; in >> word;) {
        words.push_back(word);
    }
    return words;
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

std::wstring RegisteredTypes(bool shellExtension, HKEY root = HKEY_CURRENT_USER) {
    std::wstring types;
    for (const wchar_t* type : kLookedAt) {
        const TypeNames names(type);
        if (RawKeyExists(names.fileType, root)) {
            types += (types.empty() ? L"" : L",") + std::wstring(type);
            EXPECT_EQ(shellExtension, RawKeyExists(names.fileType + L"\\ShellEx", root))
                << names.progId;
        }
        // A user choice belongs to a user.
        EXPECT_FALSE(RawKeyExists(names.fileExts, HKEY_LOCAL_MACHINE)) << names.progId;
    }
    return types;
}

// What the machine's registration of the looked-at types touches: their file types and
// extension keys, Software\Clients (which holds other programs' entries) and Veltrano's entry
// among the registered applications. The types registered there come first.
std::wstring MachineState() {
    std::wstring state = RegisteredTypes(false, HKEY_LOCAL_MACHINE) + L"\n" +
                         DumpTree(HKEY_LOCAL_MACHINE, L"Software\\Clients");
    for (const wchar_t* type : kLookedAt) {
        state += DumpTree(HKEY_LOCAL_MACHINE, TypeNames(type).fileType) +
                 DumpTree(HKEY_LOCAL_MACHINE, kClasses + L"\\." + type);
    }
    const std::wstring applications =
        DumpTree(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications");
    return state + (applications.find(L"[Veltrano]") != std::wstring::npos ? L"Veltrano\n" : L"");
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
                                                      "AddExt(ext=x,y,file=,index=2)\r\n"
                                                      "AddExt(ext=r&'b,file=,index=3)\r\n");
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

    ProgramOutput Run(const CommandCase& c, const wchar_t* arguments) const {
        const std::wstring& tool = tools.at({c.folder, c.windows});
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

const std::string kUsage = "VT File Associations: makes Veltrano the handler";

const char kPolicy[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                       "<DefaultAssociations>\r\n"
                       "  <Association Identifier=\".mkv\" ProgId=\"VTMKVFile\" "
                       "ApplicationName=\"Veltrano\" />\r\n"
                       "  <Association Identifier=\".mp3\" ProgId=\"VTMP3File\" "
                       "ApplicationName=\"Veltrano\" />\r\n"
                       "</DefaultAssociations>\r\n";
const char kSuggestedPolicy[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                "<DefaultAssociations Version=\"12\">\r\n"
                                "  <Association Identifier=\".mkv\" ProgId=\"VTMKVFile\" "
                                "ApplicationName=\"Veltrano\" Suggested=\"true\" />\r\n"
                                "  <Association Identifier=\".r&amp;&apos;b\" "
                                "ProgId=\"VTR&amp;&apos;BFile\" ApplicationName=\"Veltrano\" "
                                "Suggested=\"true\" />\r\n"
                                "</DefaultAssociations>\r\n";

TEST_F(CommandLineTest, EachCommandLineGivesItsExitCodeOutputAndRegistry) {
    const std::wstring exists = SystemErrorPhrase(ERROR_ALREADY_EXISTS);
    const auto otherChoice = [] { SetRawUserChoiceLatest(L"MKV", L"Other.mkv"); };
    // A user choice with a subkey cannot be replaced: the registration of .mkv fails there.
    const auto stuckChoice = [] {
        CreateRawKey(TypeNames(L"MKV").fileExts + L"\\UserChoice\\Sub");
    };
    const std::wstring refusedExe = std::wstring(L"bad.idf(1): Line refused: ") + kProgram;
    const Folder player = Folder::WithPlayer;
    const CommandCase cases[] = {
        {L"/?", L"win7", player, {}, {}, 0, "~" + kUsage, {}, nullptr},
        {L"/register /types:mkv,mp3",
         L"win7",
         player,
         {},
         {},
         0,
         "2 extensions registered.\r\n",
         {},
         L"MKV,MP3"},
        {L"-REGISTER -Types=MKV,.mp3,mkv /shellext",
         L"win7",
         player,
         {},
         {},
         0,
         "2 extensions registered.\r\n",
         {},
         L"MKV,MP3",
         true},
        {L"/register /types:video", L"win7", player, {}, {}, 0, "~", {}, L"MKV,AVI"},
        {L"/register /types:audio,mkv", L"win7", player, {}, {}, 0, "~", {}, L"MKV,MP3,WAV"},
        // Where Veltrano's file type is, for each type: the user's, the machine's, both, neither.
        {L"/status /types:mkv,mp3,avi,wav",
         L"win7",
         player,
         {L"/register /types:mkv,mp3", L"/register /machine /types:mkv,avi"},
         {},
         0,
         "Extension,State,UserChoice,Scope\r\n.avi,registered,,machine\r\n"
         ".mkv,opens,VTMKVFile,both\r\n.mp3,opens,VTMP3File,user\r\n.wav,not-registered,,\r\n",
         {},
         L"MKV,MP3",
         false,
         L"MKV,AVI"},
        // From Windows 8 on no user choice is written and Default apps is left to the user.
        {L"/register /types:mkv",
         L"win10",
         player,
         {},
         {},
         0,
         "1 extensions registered.\r\nWindows lets each user choose Veltrano for a type in "
         "Settings > Default apps.\r\n",
         {},
         L"MKV"},
        {L"/status /types:mkv,mp3",
         L"win10",
         player,
         {L"/register /types:mkv,mp3"},
         otherChoice,
         0,
         "Extension,State,UserChoice,Scope\r\n.mkv,registered,Other.mkv,user\r\n"
         ".mp3,registered,,user\r\n",
         {},
         L"MKV,MP3"},
        {L"/unregister /types:mkv",
         L"win7",
         player,
         {L"/register /types:mkv,mp3"},
         {},
         0,
         "1 extensions removed.\r\n",
         {},
         L"MP3"},
        {L"/unregister", L"win7", player, {}, {}, 0, "82 extensions removed.\r\n", {}, L""},
        {L"/register /types:mkv,mp3",
         L"win7",
         player,
         {},
         stuckChoice,
         1,
         "1 extensions registered.\r\n",
         {L".mkv: CRegistryKey::CreateKey(): " + exists},
         L"MKV,MP3"},
        // The machine's registration leaves the user's keys alone, and its removal takes back
        // what it wrote and nothing of other programs.
        {L"/register /machine /types:mkv /shellext",
         L"win7",
         player,
         {},
         {},
         0,
         "1 extensions registered.\r\n",
         {},
         nullptr,
         true,
         L"MKV"},
        {L"/unregister /machine /types:mkv",
         L"win7",
         player,
         {L"/register /machine /types:mkv,mp3"},
         {},
         0,
         "1 extensions removed.\r\n",
         {},
         nullptr,
         false,
         L"MP3"},
        {L"/unregister /machine",
         L"win7",
         player,
         {L"/register /machine /types:mkv"},
         {},
         0,
         "82 extensions removed.\r\n",
         {},
         nullptr,
         false,
         L"*"},
        // Definition files: their types can be named, and a comma is quoted in the CSV.
        {L"/def:good.idf /register /types:vtx",
         L"win7",
         player,
         {},
         {},
         0,
         "1 extensions registered.\r\n",
         {},
         L"VTX"},
        {L"/status /def:good.idf",
         L"win7",
         player,
         {},
         {},
         0,
         "~\".x,y\",not-registered,,",
         {},
         nullptr},
        {L"/register /def:bad.idf",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {refusedExe, L"bad.idf(2): Error while Parsing Line"},
         nullptr},
        {L"/register /def:missing.idf",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"missing.idf: Cannot open file: "},
         nullptr},
        {L"/register /types:vtx",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/types: \"vtx\" is none of"},
         nullptr},
        // The policy file, and nothing else written for it.
        {L"/policy:out.xml /types:mkv,mp3",
         L"win7",
         player,
         {},
         {},
         0,
         "2 extensions written to out.xml.\r\n",
         {},
         nullptr,
         false,
         nullptr,
         kPolicy},
        {L"-Policy=out.xml /def:good.idf /types:mkv,r&'b /version:12 /suggested",
         L"win7",
         player,
         {},
         {},
         0,
         "2 extensions written to out.xml.\r\n",
         {},
         nullptr,
         false,
         nullptr,
         kSuggestedPolicy},
        {L"/policy:out.xml /def:bad.idf",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {refusedExe, L"bad.idf(2): Error while Parsing Line"},
         nullptr,
         false,
         nullptr,
         ""},
        {L"/policy:none\\out.xml", L"win7", player, {}, {}, 1, "", {L"none\\out.xml: "}, nullptr},
        // The player.
        {L"/register /types:mkv",
         L"win7",
         Folder::WithoutPlayer,
         {},
         {},
         3,
         "",
         {L"Veltrano was not found: "},
         nullptr},
        {L"/register /types:mkv /force",
         L"win7",
         Folder::WithoutPlayer,
         {},
         {},
         0,
         "1 extensions registered.\r\n",
         {},
         L"MKV"},
        {L"/register /types:mkv /force",
         L"win7",
         Folder::Percent,
         {},
         {},
         3,
         "",
         {L"The path of Veltrano holds a percent sign (%)"},
         nullptr},
        // Usage errors.
        {L"/register /bogus",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"\"/bogus\" is not a switch of /register."},
         nullptr},
        {L"/register /status",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"Only one of /register, /unregister, /status, /policy and /?"},
         nullptr},
        {L"/register /types", L"win7", player, {}, {}, 2, "", {L"/types needs a value"}, nullptr},
        {L"/register /types:", L"win7", player, {}, {}, 2, "", {L"/types needs a value"}, nullptr},
        {L"/policy", L"win7", player, {}, {}, 2, "", {L"/policy needs a value"}, nullptr},
        {L"/register /force:yes",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/force takes no value."},
         nullptr},
        {L"/status /shellext",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/shellext is not a switch of /status."},
         nullptr},
        {L"/status /machine",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/machine is not a switch of /status."},
         nullptr},
        {L"/policy:out.xml /machine",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/machine is not a switch of /policy."},
         nullptr,
         false,
         nullptr,
         ""},
        {L"/register /suggested",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/suggested is not a switch of /register."},
         nullptr},
        {L"/policy:out.xml /version:0",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/version needs a whole number from 1"},
         nullptr,
         false,
         nullptr,
         ""},
        {L"/policy:out.xml /version:1.5",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/version needs a whole number from 1"},
         nullptr,
         false,
         nullptr,
         ""},
        {L"/register /types:mkv /types:mp3",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/types is given twice."},
         nullptr},
        {L"/register /types:mkv,,mp3",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/types holds an empty item"},
         nullptr},
        {L"/register good.idf",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"\"good.idf\" is not a switch of /register."},
         nullptr},
        {L"/types:mkv",
         L"win7",
         player,
         {},
         {},
         2,
         "",
         {L"/types needs one of /register, /unregister, /status and /policy."},
         nullptr},
    };
    const std::wstring machineAtStart = MachineState();
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.arguments) + L" on " + c.windows));
        const CleanRegistrations clean{L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"};
        const CleanRegistrations cleanMachine{HKEY_LOCAL_MACHINE,
                                              {L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"}};
        for (const wchar_t* before : c.before) {
            ASSERT_EQ(0u, Run(c, before).exitCode);
        }
        if (c.seed) {
            c.seed();
        }
        const std::wstring user = DumpTree(HKEY_CURRENT_USER, L"Software");
        const std::wstring machine = MachineState();
        const std::wstring policy = root.Path() + L"player\\out.xml";
        DeleteFileW(policy.c_str());
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
            EXPECT_EQ(L"", DiffLines(user, DumpTree(HKEY_CURRENT_USER, L"Software")));
        } else {
            EXPECT_EQ(c.registered, RegisteredTypes(c.shellExtension));
        }
        if (c.machine == nullptr) {
            EXPECT_EQ(machine, MachineState());
        } else if (c.machine == std::wstring(L"*")) {
            EXPECT_EQ(machineAtStart, MachineState()) << "all taken back";
        } else {
            EXPECT_EQ(c.machine, RegisteredTypes(c.shellExtension, HKEY_LOCAL_MACHINE));
        }
        if (c.policy != nullptr) {
            std::string text;
            EXPECT_EQ(*c.policy != '\0', ReadBytes(policy, text));
            EXPECT_EQ(c.policy, text);
        }
        if (c.seed) {
            DeleteRawTree(TypeNames(L"MKV").fileExts);
        }
    }
}

// The policy file is replaced whole, never written in place: one that another program holds open,
// letting others write it but not replace it, stays as it was, with the new text left nowhere.
TEST_F(CommandLineTest, APolicyFileThatCannotBeReplacedStaysAsItWas) {
    const std::wstring folder = root.Path() + L"player\\";
    ASSERT_TRUE(WriteBytes(folder + L"out.xml", "earlier"));
    const HANDLE held =
        CreateFileW((folder + L"out.xml").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const CommandCase c{L"", L"win7", Folder::WithPlayer, {}, {}, 1, "", {}, nullptr};
    const ProgramOutput output = Run(c, L"/policy:out.xml /types:mkv,mp3");
    CloseHandle(held);
    EXPECT_EQ(1u, output.exitCode);
    EXPECT_EQ("", output.out);
    EXPECT_EQ(1u, Lines(output.err).size());
    EXPECT_EQ(0u, output.err.rfind("out.xml: ", 0)) << output.err;
    std::string text;
    EXPECT_TRUE(ReadBytes(folder + L"out.xml", text));
    EXPECT_EQ("earlier", text);
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW((folder + L"*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE)
        << "left behind: " << testing::PrintToString(std::wstring(found.cFileName));
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
}

// On a console a control character that a registry value brought along is shown as U+FFFD: it
// could start one of the terminal's command sequences (here one that writes the clipboard).
TEST(StandardStreamsTest, AConsoleShowsControlCharactersAsReplacementCharacters) {
    // A console of this program's own, whatever started it; the test's own output goes on to where
    // it went.
    const DWORD standard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE kept[3] = {};
    for (int i = 0; i < 3; ++i) {
        kept[i] = GetStdHandle(standard[i]);
    }
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    StandardStreams streams(console, console);
    streams.OutLine(L"a\x1b]52;c;eA==\x07"
                    L"b\x9b\tc");
    const std::wstring expected = L"a\uFFFD]52;c;eA==\uFFFDb\uFFFD";
    wchar_t shown[32] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadConsoleOutputCharacterW(console, shown, static_cast<DWORD>(expected.size()),
                                            {0, 0}, &read));
    EXPECT_EQ(expected, std::wstring(shown, read));
    CloseHandle(console);
    FreeConsole();
    for (int i = 0; i < 3; ++i) {
        SetStdHandle(standard[i], kept[i]);
    }
}

// Windows asks the token; Wine runs every program as an administrator, so this program answers
// "not elevated" for the code under test, which runs here.
decltype(&GetTokenInformation) systemTokenInformation = nullptr;

BOOL WINAPI NotElevated(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                        PDWORD returned) {
    const BOOL answered = systemTokenInformation(token, kind, information, size, returned);
    if (answered && kind == TokenElevation) {
        static_cast<TOKEN_ELEVATION*>(information)->TokenIsElevated = 0;
    }
    return answered;
}

TEST(CommandLineRightsTest, MachineWorkWithoutAdministratorRightsStopsBeforeAnyWrite) {
    systemTokenInformation = reinterpret_cast<decltype(&GetTokenInformation)>(ReplaceImport(
        "advapi32.dll", "GetTokenInformation", reinterpret_cast<void*>(&NotElevated)));
    ASSERT_NE(systemTokenInformation, nullptr);
    const TestFolder folder{L"vt-cli-rights"};
    for (const wchar_t* arguments : {L"/register /machine /types:mkv", L"/unregister /machine"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        const std::wstring user = DumpTree(HKEY_CURRENT_USER, L"Software");
        const std::wstring machine = MachineState();
        const std::wstring out = folder.Path() + L"out.txt", err = folder.Path() + L"err.txt";
        int exitCode = 0;
        {
            const HANDLE files[2] = {
                CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
                CreateFileW(err.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
            StandardStreams streams(files[0], files[1]);
            exitCode = RunCommandLine(ParseCommandLine(Words(arguments)), streams);
            CloseHandle(files[0]);
            CloseHandle(files[1]);
        }
        EXPECT_EQ(kExitNoRights, exitCode);
        std::string written;
        EXPECT_TRUE(ReadBytes(out, written));
        EXPECT_EQ("", written);
        EXPECT_TRUE(ReadBytes(err, written));
        EXPECT_EQ(1u, Lines(written).size());
        EXPECT_NE(written.find("run it from an elevated prompt"), std::string::npos) << written;
        EXPECT_EQ(L"", DiffLines(user, DumpTree(HKEY_CURRENT_USER, L"Software")));
        EXPECT_EQ(machine, MachineState());
    }
    ReplaceImport("advapi32.dll", "GetTokenInformation",
                  reinterpret_cast<void*>(systemTokenInformation));
}

} // namespace
