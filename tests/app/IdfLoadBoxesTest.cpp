// IDF files loaded as the main window loads them: real files in the Wine prefix, real message
// boxes answered as a user would, and a real window that owns them.
#include "common/SystemErrorText.h"
#include "definitions/IdfTestSupport.h"

#include "catalogue/BuiltInExtensions.h"
#include "definitions/ErrorText.h"
#include "app/IdfLoadBoxes.h"
#include "support/FileDialogDriver.h"
#include "support/RefusedInputs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

namespace {

// One line of an IDF file and what it gives. `file` is the expected icon file; with
// `inIdfDirectory` it is expected relative to the IDF file's folder.
struct LineCase {
    const wchar_t* line;
    bool statement;
    const wchar_t* extension = L"";
    const wchar_t* file = L"";
    bool inIdfDirectory = false;
    const wchar_t* index = L"";
    const wchar_t* refusal = nullptr; // a statement that is not taken, and why
};

const LineCase lineCases[] = {
    {L"AddExt(ext=mkv,file=C:\\x\\y.dll,index=5)", true, L"mkv", L"C:\\x\\y.dll", false, L"-5"},
    {L"addext(EXT=MKV,FILE=Icons\\A.ico,INDEX=007)  trailing text", true, L"mkv", L"Icons\\A.ico",
     true, L"-007"},
    {L"junk AddExt(index=3,ext=ogm,file=a.dll) more", true, L"ogm", L"a.dll", true, L"-3"},
    {L"AddExt({ext=mkv},{file=x.dll},{index=1})", false},
    {L"AddExt(ext=mkv, file=x.dll, index=1)", false},
    {L"AddExt(ext=mkv,file=x.dll)", false},
    {L"AddExt(ext=mkv,file=x.dll,index=)", false},
    {L"AddExt(ext=mkv,file=x.dll,index=1a)", false},
    {L"AddExt(ext=a,ext=b,ext=c)", true, L"c", L"", false, L""},
    {L"AddExt(ext=,file=x.dll,index=0)", false, L"", L"", false, L"", L"The extension is empty."},
    {L"AddExt(ext=.MKV,file=a,index=1)", true, L"mkv", L"a", true, L"-1"},
    {L"AddExt(ext=mkv,index=3,file=C:\\Program Files (x86)\\x.dll)", true, L"mkv",
     L"C:\\Program Files (x86", false, L"-3"},
    {L"AddExt(file=C:\\Program Files (x86)\\x.dll,ext=mkv,index=3)", true, L"mkv",
     L"C:\\Program Files (x86)\\x.dll", false, L"-3"},
    {L"AddExt(file=a,b.dll,ext=mkv,index=1)", false, L"", L"", false, L"", kComma},
    {L"AddExt(file=a,,ext=mkv,index=1)", false},
    {L";AddExt(ext=mkv,file=a,index=1)", true, L"mkv", L"a", true, L"-1"},
    {L"AddExt(ext=a,file=b,index=1)AddExt(ext=c,file=d,index=2)", true, L"a", L"b", true, L"-1"},
    {L"AddExt(ext=a,file=b)AddExt(ext=c,file=d,index=2)", false, L"", L"", false, L"", kComma},
    {L"", false},
    {L"   ", false},
    {L"AddExt(ext=mkv,file=\\\\server\\share\\i.dll,index=12)", false, L"", L"", false, L"",
     kOtherComputer},
    {L"AddExt(ext=mkv,file=,index=4)", true, L"mkv", L"", true, L"-4"},
};

class IdfEncodingTest : public ::testing::TestWithParam<IdfEncoding> {
protected:
    void SetUp() override {
        defs = folder.MakeFolder(L"Defs");
        path = defs + L"my.idf";
    }

    void Write(const std::wstring& text) {
        ASSERT_TRUE(WriteBytes(path, EncodeIdfText(text, GetParam())));
    }

    void Load(ExtensionCatalogue& catalogue) {
        ScriptedFileChooser chooser([this](OPENFILENAMEW&) {
            ++dialogCalls;
            return false;
        });
        LoadIdfFile(path.c_str(), owner.hwnd, catalogue, chooser);
    }

    void ExpectEntry(ExtensionCatalogue& catalogue, const std::wstring& extension,
                     const std::wstring& file, const std::wstring& index) {
        const ExtensionEntry* entry = catalogue.Find(extension);
        ASSERT_NE(entry, nullptr) << "no entry for " << testing::PrintToString(extension);
        EXPECT_EQ(entry->extension, extension);
        EXPECT_EQ(entry->iconFile, file);
        EXPECT_EQ(entry->iconIndex, index);
    }

    TestFolder folder{L"vt-idf"};
    std::wstring defs; // the IDF file's folder, with "\"
    std::wstring path;
    StandInMainWindow owner;
    int dialogCalls = 0;
};

TEST_P(IdfEncodingTest, EachLineGivesItsEntryOrTheParseErrorBox) {
    MessageBoxWatcher watcher;
    std::size_t boxes = 0;
    int lineNumber = 0;
    for (const LineCase& c : lineCases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        // Line ends of both kinds, and a last line without one (but an empty line needs its
        // line end to be a line at all).
        static const wchar_t* const endings[] = {L"\r\n", L"\n", L""};
        const wchar_t* ending = endings[lineNumber++ % 3];
        Write(std::wstring(c.line) + (*ending == 0 && *c.line == 0 ? L"\n" : ending));
        ExtensionCatalogue catalogue;
        Load(catalogue);
        if (c.statement) {
            EXPECT_EQ(catalogue.Size(), 1u);
            ExpectEntry(catalogue, c.extension, c.inIdfDirectory ? defs + c.file : c.file, c.index);
        } else {
            EXPECT_EQ(catalogue.Size(), 0u);
            ASSERT_TRUE(watcher.WaitForCount(++boxes));
            ExpectParseErrorBox(watcher.Seen().back(), c.line, owner.hwnd, c.refusal);
        }
        EXPECT_FALSE(owner.TakeCloseRequest());
    }
    EXPECT_EQ(watcher.Seen().size(), boxes);
    EXPECT_EQ(dialogCalls, 0) << "a given path needs no dialog";
}

TEST_P(IdfEncodingTest, StatementsReplaceAndAddEntriesAndOtherLinesAreReportedInOrder) {
    ExtensionCatalogue catalogue;
    std::wstring playerPath;
    AddBuiltInEntries(playerPath, catalogue);
    ASSERT_EQ(catalogue.Size(), 82u);

    const bool unicode = GetParam() != IdfEncoding::Ansi;
    std::wstring text = L"; Extension definitions for VT File Associations\r\n"
                        L"AddExt(ext=mkv,file=Icons\\mkv.ico,index=101)\r\n"
                        L"\r\n"
                        L"AddExt(ext=VTS,file=C:\\Skins\\skin.dll,index=7)\n"
                        L"// AddExt(ext=MP3,file=Icons\\mp3.ico,index=2)\r\n"
                        L"   \r\n"
                        L"# the next extension is new\n"
                        L"AddExt(index=3,file=C:\\Share\\new.dll,ext=NewExt)\r\n"
                        L"AddExt(ext=mkv,file=Icons\\mkv2.ico,index=102)\r\n";
    if (unicode) {
        text += L"AddExt(ext=\u00C4\u00D6\u00DCABC,file=\u00C4\u00DF.dll,index=4)\r\n";
    }
    text += L"AddExt(ext=avi,file=C:\\x.dll,index=1)AddExt(ext=wmv,file=C:\\y.dll,index=2)";
    Write(text);

    MessageBoxWatcher watcher;
    Load(catalogue);

    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 4u);
    ExpectParseErrorBox(boxes[0], L"; Extension definitions for VT File Associations", owner.hwnd);
    ExpectParseErrorBox(boxes[1], L"", owner.hwnd);
    ExpectParseErrorBox(boxes[2], L"   ", owner.hwnd);
    ExpectParseErrorBox(boxes[3], L"# the next extension is new", owner.hwnd);
    EXPECT_FALSE(owner.TakeCloseRequest());

    // Two new extensions (three with the Unicode line); mkv, mp3 and avi replaced.
    EXPECT_EQ(catalogue.Size(), unicode ? 85u : 84u);
    ExpectEntry(catalogue, L"mkv", defs + L"Icons\\mkv2.ico", L"-102");
    ExpectEntry(catalogue, L"vts", L"C:\\Skins\\skin.dll", L"-7");
    ExpectEntry(catalogue, L"mp3", defs + L"Icons\\mp3.ico", L"-2");
    ExpectEntry(catalogue, L"newext", L"C:\\Share\\new.dll", L"-3");
    ExpectEntry(catalogue, L"avi", L"C:\\x.dll", L"-1");
    ExpectEntry(catalogue, L"wmv", playerPath, L"0");
    ExpectEntry(catalogue, L"aac", playerPath, L"0");
    if (unicode) {
        // Only A to Z are lowered: the umlauts keep their case.
        ExpectEntry(catalogue, L"\u00C4\u00D6\u00DCabc", defs + L"\u00C4\u00DF.dll", L"-4");
    }
    EXPECT_TRUE(WritableByOthers(path)) << "the file is closed after the load";
}

TEST_P(IdfEncodingTest, CancelAtTheThirdLineKeepsTheFirstTwoAndAsksTheWindowToClose) {
    Write(L"AddExt(ext=first,file=one.dll,index=1)\r\n"
          L"AddExt(ext=mkv,file=two.dll,index=2)\r\n"
          L"this line holds no statement\r\n"
          L"AddExt(ext=fourth,file=four.dll,index=4)\r\n");
    ExtensionCatalogue catalogue;
    std::wstring playerPath;
    AddBuiltInEntries(playerPath, catalogue);
    MessageBoxWatcher watcher([](const MessageBoxInfo&) { return IDCANCEL; });
    Load(catalogue);

    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 1u);
    ExpectParseErrorBox(boxes[0], L"this line holds no statement", owner.hwnd);
    ExpectEntry(catalogue, L"first", defs + L"one.dll", L"-1");
    ExpectEntry(catalogue, L"mkv", defs + L"two.dll", L"-2");
    EXPECT_EQ(catalogue.Find(L"fourth"), nullptr) << "reading stops at the cancel";
    EXPECT_EQ(catalogue.Size(), 83u);

    // Posted, not sent: the window is still there, and the request waits in its queue.
    EXPECT_TRUE(IsWindow(owner.hwnd));
    EXPECT_TRUE(owner.TakeCloseRequest());
    EXPECT_FALSE(owner.TakeCloseRequest()) << "one request";
    EXPECT_TRUE(WritableByOthers(path)) << "the file is closed after a cancel too";
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

INSTANTIATE_TEST_SUITE_P(AllEncodings, IdfEncodingTest,
                         ::testing::Values(IdfEncoding::Ansi, IdfEncoding::Utf8,
                                           IdfEncoding::Utf16LE, IdfEncoding::Utf16BE),
                         [](const testing::TestParamInfo<IdfEncoding>& info) {
                             return std::string(EncodingName(info.param));
                         });

class IdfLoaderTest : public ::testing::Test {
protected:
    ExtensionEntry* Entry(const wchar_t* extension) { return catalogue.Find(extension); }

    TestFolder folder{L"vt-idf-load"};
    StandInMainWindow owner;
    ExtensionCatalogue catalogue;
};

TEST_F(IdfLoaderTest, RefusedStatementsAreNotTakenAndOkGoesOnWhileCancelStops) {
    std::vector<std::pair<std::wstring, const wchar_t*>> refused; // each line, and why
    for (const GateCase& c : kIconFileCases) {
        if (c.reason && c.sameInIdf) {
            refused.push_back({L"AddExt(ext=mkv,file=" + c.text + L",index=1)", c.reason});
        }
    }
    for (const GateCase& c : ExtensionCases()) {
        if (c.reason) {
            refused.push_back({L"AddExt(ext=" + c.text + L",file=,index=1)", c.reason});
        }
    }
    std::wstring text = L"AddExt(ext=first,file=,index=1)\n";
    for (const auto& line : refused) {
        text += line.first + L"\n";
    }
    const std::wstring path = folder.Path() + L"refused.idf";
    ASSERT_TRUE(WriteBytes(
        path, EncodeIdfText(text + L"AddExt(ext=last,file=,index=1)", IdfEncoding::Utf16LE)));
    for (const int answer : {IDOK, IDCANCEL}) {
        ExtensionCatalogue loaded;
        MessageBoxWatcher watcher([answer](const MessageBoxInfo&) { return answer; });
        LoadIdfFile(path.c_str(), owner.hwnd, loaded);
        const std::vector<MessageBoxInfo> boxes = watcher.Seen();
        ASSERT_EQ(boxes.size(), answer == IDOK ? refused.size() : 1u);
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const std::wstring& line = refused[i].first;
            ExpectParseErrorBox(boxes[i],
                                line.size() > 200 ? line.substr(0, 200) + L" [\u2026]" : line,
                                owner.hwnd, refused[i].second);
        }
        EXPECT_NE(loaded.Find(L"first"), nullptr);
        EXPECT_EQ(loaded.Find(L"last") != nullptr, answer == IDOK) << "OK goes on to the end";
        EXPECT_EQ(loaded.Size(), answer == IDOK ? 2u : 1u) << "nothing refused is taken";
        EXPECT_EQ(owner.TakeCloseRequest(), answer == IDCANCEL);
    }
}

TEST_F(IdfLoaderTest, AFileThatDoesNotExistIsReportedAndTheWindowAskedToClose) {
    const std::wstring missing = folder.Path() + L"missing.idf";
    std::wstring playerPath;
    AddBuiltInEntries(playerPath, catalogue);
    MessageBoxWatcher watcher;
    LoadIdfFile(missing.c_str(), owner.hwnd, catalogue);

    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Error");
    EXPECT_EQ(boxes[0].text,
              L"Cannot open file:\n\n" + missing + L"\n\nerror 2 (" + SystemErrorPhrase(2) + L")");
    EXPECT_TRUE(boxes[0].iconKnown);
    EXPECT_EQ(boxes[0].Style(), UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, owner.hwnd);
    EXPECT_EQ(catalogue.Size(), 82u);
    EXPECT_TRUE(IsWindow(owner.hwnd));
    EXPECT_TRUE(owner.TakeCloseRequest());
}

// The server end of a named pipe that the loader reads as its file. The test decides when it
// hangs up; from then on the reader's reads fail.
class PipeFile {
public:
    explicit PipeFile(std::string bytes)
        : path(L"\\\\.\\pipe\\vt-idf-" + std::to_wstring(GetCurrentProcessId())),
          pipe(CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                65536, 65536, 0, nullptr)),
          server([this, bytes] {
              ConnectNamedPipe(pipe, nullptr);
              DWORD written = 0;
              WriteFile(pipe, bytes.data(), DWORD(bytes.size()), &written, nullptr);
          }) {}
    ~PipeFile() {
        server.join();
        CloseHandle(pipe);
    }
    PipeFile(const PipeFile&) = delete;
    PipeFile& operator=(const PipeFile&) = delete;

    void HangUp() { DisconnectNamedPipe(pipe); }

    const std::wstring path;

private:
    HANDLE pipe;
    std::thread server;
};

std::wstring ReadErrorText(DWORD code, const std::wstring& path) {
    return L"Error " + std::to_wstring(code) + L" reading file:\n\n" + path + L"\n\n(" +
           SystemErrorPhrase(code) + L")";
}

TEST_F(IdfLoaderTest, AReadErrorInTheMiddleIsReportedAndTheLinesBeforeItStay) {
    PipeFile file("\xEF\xBB\xBF"
                  "AddExt(ext=one,file=C:\\1.dll,index=1)\r\n"
                  "no statement here\r\n"
                  "AddExt(ext=two,file=C:\\2.dll,index=2)\r\n"
                  "AddExt(ext=three,file=C:\\3.dll,ind");
    // The whole text has reached the reader once the first box shows: hang up then.
    MessageBoxWatcher watcher([&file](const MessageBoxInfo& box) {
        if (box.caption == L"Parse Error") {
            file.HangUp();
        }
        return IDOK;
    });
    LoadIdfFile(file.path.c_str(), owner.hwnd, catalogue);

    const std::vector<MessageBoxInfo> boxes = watcher.Seen();
    ASSERT_EQ(boxes.size(), 2u);
    ExpectParseErrorBox(boxes[0], L"no statement here", owner.hwnd);
    EXPECT_EQ(boxes[1].caption, L"Error");
    EXPECT_EQ(boxes[1].text, ReadErrorText(ERROR_PIPE_NOT_CONNECTED, file.path));
    EXPECT_TRUE(boxes[1].iconKnown);
    EXPECT_EQ(boxes[1].Style(), UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[1].owner, owner.hwnd);

    EXPECT_EQ(catalogue.Size(), 2u);
    ASSERT_NE(Entry(L"one"), nullptr);
    ASSERT_NE(Entry(L"two"), nullptr);
    EXPECT_EQ(Entry(L"two")->iconFile, L"C:\\2.dll");
    EXPECT_FALSE(owner.TakeCloseRequest()) << "the program goes on with what was read";
}

TEST_F(IdfLoaderTest, WithoutAPathTheDialogAsksForTheFileAndACancelChangesNothing) {
    const std::wstring path = folder.Path() + L"chosen.idf";
    ASSERT_TRUE(WriteBytes(path, "AddExt(ext=chosen,file=c.dll,index=9)\r\n"));

    int calls = 0;
    std::wstring offeredName = L"<not offered>";
    OPENFILENAMEW seen = {};
    std::wstring answer; // empty: cancel
    ScriptedFileChooser dialog([&](OPENFILENAMEW& ofn) {
        ++calls;
        seen = ofn;
        offeredName = ofn.lpstrFile;
        if (answer.empty()) {
            return false;
        }
        wcscpy_s(ofn.lpstrFile, ofn.nMaxFile, answer.c_str());
        return true;
    });

    MessageBoxWatcher watcher;
    LoadIdfFile(nullptr, owner.hwnd, catalogue, dialog);
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(seen.lStructSize, DWORD(sizeof(OPENFILENAMEW)));
    EXPECT_EQ(seen.hwndOwner, owner.hwnd);
    ASSERT_NE(seen.lpstrFilter, nullptr);
    // The pairs, each text ended by a NUL, and a NUL after the last pair.
    const std::wstring filter(seen.lpstrFilter, 32);
    EXPECT_EQ(filter, std::wstring(L".idf Files\0*.idf\0All Files\0*.*\0\0", 32));
    EXPECT_EQ(seen.nFilterIndex, 1u);
    EXPECT_EQ(seen.lpstrCustomFilter, nullptr);
    EXPECT_EQ(offeredName, L"");
    EXPECT_EQ(seen.nMaxFile, 260u);
    EXPECT_EQ(seen.Flags, DWORD(0x880000));
    EXPECT_EQ(seen.lpstrTitle, nullptr);
    EXPECT_EQ(seen.lpstrInitialDir, nullptr);
    EXPECT_EQ(seen.lpstrDefExt, nullptr);
    EXPECT_EQ(catalogue.Size(), 0u);
    EXPECT_FALSE(owner.TakeCloseRequest()) << "a cancelled dialog is no reason to close";
    EXPECT_TRUE(watcher.Seen().empty());

    answer = path;
    LoadIdfFile(nullptr, owner.hwnd, catalogue, dialog);
    EXPECT_EQ(calls, 2);
    ASSERT_NE(Entry(L"chosen"), nullptr);
    EXPECT_EQ(Entry(L"chosen")->iconFile, folder.Path() + L"c.dll");
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(IdfLoaderTest, TheSystemsOpenFileDialogOpensAndHandsOverTheChosenFile) {
    const std::wstring path = folder.Path() + L"dialog.idf";
    ASSERT_TRUE(WriteBytes(path, "AddExt(ext=fromdialog,file=d.dll,index=3)\n"));

    OpenFileDialogSeen seen;
    std::atomic<bool> answered{false};
    std::thread user([&] { answered = AnswerOpenFileDialog(GetCurrentProcessId(), path, &seen); });
    LoadIdfFile(nullptr, owner.hwnd, catalogue); // the real GetOpenFileNameW
    user.join();

    ASSERT_TRUE(answered) << "no open-file dialog appeared";
    EXPECT_EQ(seen.owner, owner.hwnd);
    EXPECT_EQ(seen.fileType, L".idf Files");
    ASSERT_NE(Entry(L"fromdialog"), nullptr);
    EXPECT_EQ(Entry(L"fromdialog")->iconFile, folder.Path() + L"d.dll");
    EXPECT_EQ(Entry(L"fromdialog")->iconIndex, L"-3");
}

// Sets the current directory for the life of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& directory) {
        GetCurrentDirectoryW(MAX_PATH, previous);
        SetCurrentDirectoryW(directory.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryW(previous); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    wchar_t previous[MAX_PATH] = {};
};

TEST_F(IdfLoaderTest, RelativePathsAreTakenFromTheCurrentDirectory) {
    const std::wstring work = folder.MakeFolder(L"Work");
    const std::wstring defs = folder.MakeFolder(L"Work\\defs");
    ASSERT_TRUE(WriteBytes(defs + L"a.idf", "AddExt(ext=indefs,file=icons\\r.dll,index=1)\n"));
    ASSERT_TRUE(WriteBytes(folder.Path() + L"a.idf", "AddExt(ext=above,file=r.dll,index=2)\n"));
    const CurrentDirectory inWork(work);

    MessageBoxWatcher watcher;
    LoadIdfFile(L"defs\\a.idf", owner.hwnd, catalogue);
    ASSERT_NE(Entry(L"indefs"), nullptr);
    EXPECT_EQ(Entry(L"indefs")->iconFile, work + L"defs\\icons\\r.dll");

    LoadIdfFile(L"..\\a.idf", owner.hwnd, catalogue);
    ASSERT_NE(Entry(L"above"), nullptr);
    EXPECT_EQ(Entry(L"above")->iconFile, folder.Path() + L"r.dll");

    // Forward slashes separate folders as well.
    catalogue = ExtensionCatalogue();
    LoadIdfFile(L"defs/a.idf", owner.hwnd, catalogue);
    ASSERT_NE(Entry(L"indefs"), nullptr);
    EXPECT_EQ(Entry(L"indefs")->iconFile, work + L"defs/icons\\r.dll");

    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_FALSE(owner.TakeCloseRequest());
}

TEST(IdfParseErrorText, ALongLineIsShownCutWithAMark) {
    const std::wstring exact(200, L'x');
    EXPECT_EQ(ParseErrorText(exact.c_str()), ParseErrorBoxText(exact));
    const std::wstring longer = exact + L"y";
    EXPECT_EQ(ParseErrorText(longer.c_str()), ParseErrorBoxText(exact + L" [\u2026]"));
    // A surrogate pair that the cut would split goes as a whole.
    const std::wstring pair = std::wstring(199, L'x') + L"\U0001F600" + L"zzz";
    EXPECT_EQ(ParseErrorText(pair.c_str()),
              ParseErrorBoxText(std::wstring(199, L'x') + L" [\u2026]"));
}

} // namespace
