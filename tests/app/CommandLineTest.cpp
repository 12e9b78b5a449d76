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
#include <string>
#include <vector>

namespace {

// The types whose registration the table looks at; VTX comes from the definition file.
const wchar_t* const kLookedAt[] = {L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"};

// The tool as Windows 7 or Windows 10 (as Wine reports it), beside the player; as Windows 7 alone,
// or in a folder whose name holds "%" beside the player.
enum class Place { Win7, Win10, NoPlayer, Percent };

struct CommandCase {
    const wchar_t* arguments; // the tool's folder is the current directory
    DWORD exitCode;
    // Standard output: exactly this text, or (with a leading "~") a text that holds a line that
    // begins with the rest; "~" alone is not looked at.
    std::string out;
    // Standard error: one line per item, each beginning with the item.
    std::vector<std::wstring> err;
    // Types of kLookedAt whose file type is there afterwards; nullptr: the registry below
    // HKCU\Software is as it was before the command.
    const wchar_t* registered;
    // The same for the machine's file types; nullptr: MachineState as before the command; "*":
    // MachineState as before the first case.
    const wchar_t* machine = nullptr;
    // The policy file out.xml afterwards, whole; "": there is none; nullptr: not looked at.
    const char* policy = nullptr;
    bool shellExtension = false; // the registered file types carry the shell extension
    Place place = Place::Win7;
    std::vector<const wchar_t*> before = {}; // command lines run first
    std::function<void()> seed = {};
};

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
        const std::wstring player = root.MakeFolder(L"player"), alone = root.MakeFolder(L"alone"),
                           percent = root.MakeFolder(L"100%");
        for (const auto& [place, tool] :
             {std::pair{Place::Win7, player + L"vtassoc-cli7.exe"},
              std::pair{Place::Win10, player + L"vtassoc-cli10.exe"},
              std::pair{Place::NoPlayer, alone + L"vtassoc-cli7.exe"},
              std::pair{Place::Percent, percent + L"vtassoc-cli7.exe"}}) {
            CopyFileW(kTool.c_str(), tool.c_str(), FALSE);
            tools[place] = tool;
        }
        for (const std::wstring& folder : {player, percent}) {
            WriteBytes(folder + L"vtplayer.exe", "");
        }
        SetRawString(kDefaults + L"vtassoc-cli7.exe", L"Version", L"win7");
        SetRawString(kDefaults + L"vtassoc-cli10.exe", L"Version", L"win10");
        WriteBytes(player + L"good.idf", "AddExt(ext=vtx,file=,index=1)\r\n"
                                         "AddExt(ext=x,y,file=,index=2)\r\n"
                                         "AddExt(ext=r&'b,file=,index=3)\r\n");
        WriteBytes(player + L"bad.idf", "AddExt(ext=exe,file=,index=1)\r\n"
                                        "not a statement\r\n"
                                        "AddExt(ext=vtx,file=,index=1)\r\n");
    }
    ~CommandLineTest() override {
        DeleteRawTree(kDefaults + L"vtassoc-cli7.exe");
        DeleteRawTree(kDefaults + L"vtassoc-cli10.exe");
    }

    ProgramOutput Run(Place place, const wchar_t* arguments) const {
        const std::wstring& tool = tools.at(place);
        // A command that showed a box or waited for input would never end by itself.
        ProgramOutput output =
            RunWithOutput(tool, arguments, tool.substr(0, tool.find_last_of(L'\\') + 1), 60000);
        EXPECT_TRUE(output.endedByItself) << "the command waited for something";
        return output;
    }

    static inline const std::wstring kTool = WindowsPathOfHostFile(VTASSOC_EXE);
    static inline const std::wstring kDefaults = L"Software\\Wine\\AppDefaults\\";
    TestFolder root{L"vt-cli"};
    std::map<Place, std::wstring> tools;
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
    const wchar_t* const parseError = L"bad.idf(2): Error while Parsing Line";
    const std::string registered2 = "2 extensions registered.\r\n";
    const std::string registered1 = "1 extensions registered.\r\n";
    const std::string header = "Extension,State,UserChoice,Scope\r\n";
    // One row a command line; the tool's folder is its current directory.
    // clang-format off
    const CommandCase cases[] = {
        {L"/?", 0, "~" + kUsage, {}, nullptr},
        {L"-REGISTER -Types=MKV,.mp3,mkv /shellext", 0, registered2, {}, L"MKV,MP3", nullptr,
            nullptr, true},
        {L"/register /types:video", 0, "~", {}, L"MKV,AVI"},
        {L"/register /types:audio,mkv", 0, "~", {}, L"MKV,MP3,WAV"},
        // Where Veltrano's file type is, for each type: the user's, the machine's, both, neither.
        {L"/status /types:mkv,mp3,avi,wav", 0, header + ".avi,registered,,machine\r\n"
            ".mkv,opens,VTMKVFile,both\r\n.mp3,opens,VTMP3File,user\r\n.wav,not-registered,,\r\n",
            {}, L"MKV,MP3", L"MKV,AVI", nullptr, false, Place::Win7,
            {L"/register /types:mkv,mp3", L"/register /machine /types:mkv,avi"}},
        // From Windows 8 on no user choice is written and Default apps is left to the user.
        {L"/register /types:mkv", 0, registered1 + "Windows lets each user choose Veltrano for a "
            "type in Settings > Default apps.\r\n", {}, L"MKV", nullptr, nullptr, false,
            Place::Win10},
        {L"/status /types:mkv,mp3", 0, header + ".mkv,registered,Other.mkv,user\r\n"
            ".mp3,registered,,user\r\n", {}, L"MKV,MP3", nullptr, nullptr, false, Place::Win10,
            {L"/register /types:mkv,mp3"}, otherChoice},
        {L"/unregister /types:mkv", 0, "1 extensions removed.\r\n", {}, L"MP3", nullptr, nullptr,
            false, Place::Win7, {L"/register /types:mkv,mp3"}},
        {L"/unregister", 0, "82 extensions removed.\r\n", {}, L""},
        {L"/register /types:mkv,mp3", 1, registered1, {L".mkv: CRegistryKey::CreateKey(): " +
            exists}, L"MKV,MP3", nullptr, nullptr, false, Place::Win7, {}, stuckChoice},
        // The machine's registration leaves the user's keys alone, and its removal takes back
        // what it wrote and nothing of other programs.
        {L"/register /machine /types:mkv /shellext", 0, registered1, {}, nullptr, L"MKV", nullptr,
            true},
        {L"/unregister /machine /types:mkv", 0, "1 extensions removed.\r\n", {}, nullptr, L"MP3",
            nullptr, false, Place::Win7, {L"/register /machine /types:mkv,mp3"}},
        {L"/unregister /machine", 0, "82 extensions removed.\r\n", {}, nullptr, L"*", nullptr,
            false, Place::Win7, {L"/register /machine /types:mkv"}},
        // Definition files: their types can be named, and a comma is quoted in the CSV.
        {L"/def:good.idf /register /types:vtx", 0, registered1, {}, L"VTX"},
        {L"/status /def:good.idf", 0, "~\".x,y\",not-registered,,", {}, nullptr},
        {L"/register /def:bad.idf", 2, "", {refusedExe, parseError}, nullptr},
        {L"/register /def:missing.idf", 2, "", {L"missing.idf: Cannot open file: "}, nullptr},
        {L"/register /types:vtx", 2, "", {L"/types: \"vtx\" is none of"}, nullptr},
        // The policy file, and nothing else written for it.
        {L"/policy:out.xml /types:mkv,mp3", 0, "2 extensions written to out.xml.\r\n", {},
            nullptr, nullptr, kPolicy},
        {L"-Policy=out.xml /def:good.idf /types:mkv,r&'b /version:12 /suggested", 0,
            "2 extensions written to out.xml.\r\n", {}, nullptr, nullptr, kSuggestedPolicy},
        {L"/policy:out.xml /def:bad.idf", 2, "", {refusedExe, parseError}, nullptr, nullptr, ""},
        {L"/policy:none\\out.xml", 1, "", {L"none\\out.xml: "}, nullptr},
        // The player.
        {L"/register /types:mkv", 3, "", {L"Veltrano was not found: "}, nullptr, nullptr, nullptr,
            false, Place::NoPlayer},
        {L"/register /types:mkv /force", 0, registered1, {}, L"MKV", nullptr, nullptr, false,
            Place::NoPlayer},
        {L"/register /types:mkv /force", 3, "", {L"The path of Veltrano holds a percent sign (%)"},
            nullptr, nullptr, nullptr, false, Place::Percent},
        // Usage errors: nothing written, one line that says what is wrong.
        {L"/register /bogus", 2, "", {L"\"/bogus\" is not a switch of /register."}, nullptr},
        {L"/register /status", 2, "", {L"Only one of /register, /unregister, /status"}, nullptr},
        {L"/register /types:", 2, "", {L"/types needs a value"}, nullptr},
        {L"/policy", 2, "", {L"/policy needs a value"}, nullptr},
        {L"/register /force:yes", 2, "", {L"/force takes no value."}, nullptr},
        {L"/status /machine", 2, "", {L"/machine is not a switch of /status."}, nullptr},
        {L"/policy:out.xml /machine", 2, "", {L"/machine is not a switch of /policy."}, nullptr,
            nullptr, ""},
        {L"/register /suggested", 2, "", {L"/suggested is not a switch of /register."}, nullptr},
        {L"/register /version:1", 2, "", {L"/version is not a switch of /register."}, nullptr},
        {L"/policy:out.xml /version:0", 2, "", {L"/version needs a whole number from 1"}, nullptr,
            nullptr, ""},
        {L"/policy:out.xml /version:1.5", 2, "", {L"/version needs a whole number from 1"},
            nullptr, nullptr, ""},
        {L"/register /types:mkv /types:mp3", 2, "", {L"/types is given twice."}, nullptr},
        {L"/register /types:mkv,,mp3", 2, "", {L"/types holds an empty item"}, nullptr},
        {L"/register good.idf", 2, "", {L"\"good.idf\" is not a switch of /register."}, nullptr},
        {L"/types:mkv", 2, "", {L"/types needs one of /register, /unregister, /status"}, nullptr},
    };
    // clang-format on
    const std::wstring machineAtStart = MachineState();
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.arguments)) + " in place " +
                     std::to_string(static_cast<int>(c.place)));
        const CleanRegistrations clean{L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"};
        const CleanRegistrations cleanMachine{HKEY_LOCAL_MACHINE,
                                              {L"MKV", L"MP3", L"AVI", L"WAV", L"VTX"}};
        for (const wchar_t* before : c.before) {
            ASSERT_EQ(0u, Run(c.place, before).exitCode);
        }
        if (c.seed) {
            c.seed();
        }
        const std::wstring user = DumpTree(HKEY_CURRENT_USER, L"Software");
        const std::wstring machine = MachineState();
        const std::wstring policy = root.Path() + L"player\\out.xml";
        DeleteFileW(policy.c_str());
        const ProgramOutput output = Run(c.place, c.arguments);

        EXPECT_EQ(c.exitCode, output.exitCode);
        if (c.out.empty() || c.out[0] != '~') {
            EXPECT_EQ(c.out, output.out);
        } else if (c.out.size() > 1) {
            const std::vector<std::string> lines = Lines(output.out);
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return line.rfind(c.out.substr(1), 0) == 0;
            })) << output.out;
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
    const ProgramOutput output = Run(Place::Win7, L"/policy:out.xml /types:mkv,mp3");
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
    for (const std::vector<std::wstring>& arguments :
         {std::vector<std::wstring>{L"/register", L"/machine", L"/types:mkv"},
          std::vector<std::wstring>{L"/unregister", L"/machine"}}) {
        SCOPED_TRACE(testing::PrintToString(arguments.front()));
        const std::wstring user = DumpTree(HKEY_CURRENT_USER, L"Software");
        const std::wstring machine = MachineState();
        const std::wstring out = folder.Path() + L"out.txt", err = folder.Path() + L"err.txt";
        int exitCode = 0;
        {
            const HANDLE files[2] = {
                CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
                CreateFileW(err.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
            StandardStreams streams(files[0], files[1]);
            exitCode = RunCommandLine(ParseCommandLine(arguments), streams);
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
