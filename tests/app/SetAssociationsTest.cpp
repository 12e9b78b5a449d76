// "Set Associations" in the real window: the real registry of the current user, the real
// message boxes the user reads.
#include "MainWindowFixture.h"
#include "registry/RegistryTestSupport.h"

#include "app/ListRows.h"
#include "support/MessageBoxWatcher.h"

namespace {

class SetAssociationsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window->playerPath = kPlayer;
        // Rows: .avi .mkv .mp3
        Fill({{L"avi", kPlayer, L"0"},
              {L"mkv", L"C:\\Icons\\media.dll", L"5"},
              {L"mp3", kPlayer, L"0"}});
    }

    // Presses "Set Associations" and answers every box with its first button.
    std::vector<MessageBoxInfo> PressSetAssociations() {
        MessageBoxWatcher watcher;
        SendMessageW(window->setAssociationsButton, BM_CLICK, 0, 0);
        return watcher.Seen();
    }

    CleanRegistrations clean{L"AVI", L"MKV", L"MP3"};
};

TEST_F(SetAssociationsTest, NothingTickedWritesNothingAndReportsZero) {
    const auto boxes = PressSetAssociations();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Success");
    EXPECT_EQ(boxes[0].text, L"0 selected extensions have been registered.");
    EXPECT_EQ(boxes[0].Style(), static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].owner, hwnd);
    for (const wchar_t* ext : {L"AVI", L"MKV", L"MP3"}) {
        EXPECT_FALSE(RawKeyExists(TypeNames(ext).fileType));
    }
    EXPECT_FALSE(RawKeyExists(L"Software\\Clients"));
}

TEST_F(SetAssociationsTest, RegistersEveryTickedRowWithItsEntrysIconAndTheCheckBox) {
    SetRowState(1, kCheckedStateImage);
    SetRowState(2, kCheckedStateImage);
    SendMessageW(window->shellExtensionCheckBox, BM_CLICK, 0, 0);
    const auto boxes = PressSetAssociations();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Success");
    EXPECT_EQ(boxes[0].text, L"2 selected extensions have been registered.");
    EXPECT_EQ(boxes[0].Style(), static_cast<UINT>(MB_OK | MB_ICONINFORMATION));

    const std::wstring mkv = kClasses + L"\\VTMKVFile";
    EXPECT_EQ(ReadRawString(mkv), L"Matroska Audio/Video File");
    EXPECT_EQ(ReadRawString(mkv + L"\\DefaultIcon"), L"C:\\Icons\\media.dll,5");
    EXPECT_EQ(ReadRawString(mkv + L"\\shell\\open\\command"), L"\"" + kPlayer + L"\" \"%L\"");
    EXPECT_TRUE(RawKeyExists(mkv + L"\\ShellEx\\ContextMenuHandlers\\VTShellExt"));
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MKV\\UserChoice", L"Progid"), L"VTMKVFile");
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MP3\\UserChoice", L"Progid"), L"VTMP3File");
    EXPECT_EQ(ReadRawString(kClasses + L"\\VTMP3File\\DefaultIcon"), kPlayer + L",0");
    EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTAVIFile")) << "row not ticked";
    // Veltrano is offered to Default apps for the ticked types, on every Windows version.
    const std::wstring capabilities = L"Software\\Clients\\Media\\Veltrano\\Capabilities";
    EXPECT_EQ(ReadRawString(L"Software\\RegisteredApplications", L"Veltrano"), capabilities);
    EXPECT_EQ(ReadRawString(capabilities, L"ApplicationIcon"), L"\"" + kPlayer + L"\",0");
    EXPECT_EQ(ReadRawString(capabilities + L"\\FileAssociations", L".mp3"), L"VTMP3File");
    EXPECT_EQ(ReadRawString(capabilities + L"\\FileAssociations", L".avi"), L"<missing>");
    EXPECT_EQ(ReadRawValue(kClasses + L"\\.mkv\\OpenWithProgids", L"VTMKVFile").result,
              ERROR_SUCCESS)
        << "Veltrano offered for mkv";
    EXPECT_EQ(StateImages(), (std::vector<UINT>{1, 2, 2})) << "the ticks stay";
}

TEST_F(SetAssociationsTest, AMissingPlayerIsRegisteredOnlyOnYesAndAPercentSignNever) {
    SetRowState(1, kCheckedStateImage);
    const std::wstring missing = L"C:\\Missing\\vtplayer.exe";
    const std::wstring percent = L"C:\\Program Files\\VT Player\\%1\\vtplayer.exe";
    for (const auto& [player, answer] :
         {std::pair{missing, IDNO}, std::pair{percent, IDYES}, std::pair{missing, IDYES}}) {
        window->playerPath = player;
        MessageBoxWatcher watcher([answer = answer](const MessageBoxInfo& box) {
            return box.buttons.front() == IDYES ? answer : box.buttons.front();
        });
        const std::wstring before = DumpTree(HKEY_CURRENT_USER, L"Software");
        SendMessageW(window->setAssociationsButton, BM_CLICK, 0, 0);
        const bool registers = player == missing && answer == IDYES;
        if (!registers) {
            EXPECT_EQ(DiffLines(before, DumpTree(HKEY_CURRENT_USER, L"Software")), L"")
                << "nothing written";
        }
        const auto boxes = watcher.Seen();
        ASSERT_EQ(boxes.size(), registers ? 2u : 1u) << "no report unless it registers";
        EXPECT_EQ(boxes[0].caption, L"Set Associations");
        EXPECT_EQ(boxes[0].Style(),
                  player == missing ? UINT(MB_YESNO | MB_ICONWARNING) : UINT(MB_OK | MB_ICONERROR));
        EXPECT_NE(boxes[0].text.find(L":\n" + player + L"\n\n"), std::wstring::npos);
        EXPECT_EQ(boxes[0].owner, hwnd);
        EXPECT_EQ(RawKeyExists(kClasses + L"\\VTMKVFile"), registers);
    }
}

TEST_F(SetAssociationsTest, AFailedRegistrationIsNotReportedAsSuccess) {
    // A user choice with a subkey cannot be deleted, so mp3's registration fails at its end.
    CreateRawKey(kFileExts + L"\\.MP3\\UserChoice\\Blocker");
    SetRowState(0, kCheckedStateImage);
    SetRowState(2, kCheckedStateImage);

    const auto boxes = PressSetAssociations();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"CRegistryKey::CreateKey()");
    EXPECT_EQ(boxes[0].Style(), static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[1].caption, L"Set Associations");
    EXPECT_EQ(boxes[1].text, L"1 selected extensions have been registered.\n"
                             L"1 extensions could not be registered.");
    EXPECT_EQ(boxes[1].Style(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(boxes[1].owner, hwnd);
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.AVI\\UserChoice", L"Progid"), L"VTAVIFile");
}

} // namespace

TEST_F(SetAssociationsTest, WhenDefaultAppsCannotBeToldTheCountSaysSo) {
    // No lasting key can be made below a volatile one: every extension fails at its last step.
    CreateRawKey(L"Software\\Clients", REG_OPTION_VOLATILE);
    SetRowState(0, kCheckedStateImage);
    SetRowState(1, kCheckedStateImage);

    const auto boxes = PressSetAssociations();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].caption, L"CRegistryKey::CreateOrOpenKey()");
    EXPECT_EQ(boxes[1].caption, L"CRegistryKey::CreateOrOpenKey()");
    EXPECT_EQ(boxes[2].caption, L"Set Associations");
    EXPECT_EQ(boxes[2].text, L"0 selected extensions have been registered.\n"
                             L"2 extensions could not be registered.");
    EXPECT_EQ(boxes[2].Style(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(RawKeyExists(L"Software\\RegisteredApplications")) << "nothing was registered";
}

TEST_F(SetAssociationsTest, WhileItsErrorBoxIsUpTheMenuAndTheIconChoiceDoNothing) {
    ScriptedPickers& scripted = UseScriptedPickers();
    CreateRawKey(kClasses + L"\\VTAVIFile", REG_OPTION_VOLATILE); // avi cannot be registered
    SetRowState(0, kCheckedStateImage);
    SetRowState(2, kCheckedStateImage);
    MessageBoxWatcher watcher([this](const MessageBoxInfo& box) {
        ClickInList(NM_RCLICK, 1);
        ClickInList(NM_DBLCLK, 1);
        return box.buttons.front();
    });
    SendMessageW(window->setAssociationsButton, BM_CLICK, 0, 0);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"CRegistryKey::CreateOrOpenKey()");
    EXPECT_EQ(scripted.menuCalls, 0);
    EXPECT_EQ(scripted.pickCalls, 0);
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MP3\\UserChoice", L"Progid"), L"VTMP3File");
}

// "Remove Associations of Checked Extensions..." chosen in the list's menu.
class RemoveAssociationsTest : public SetAssociationsTest {
protected:
    // Chooses the command in the menu of a right click on the list, answering the boxes.
    std::vector<MessageBoxInfo> ChooseRemove(MessageBoxWatcher::Answer answer) {
        ScriptedPickers& scripted = UseScriptedPickers();
        scripted.menuAnswer = kRemoveAssociationsCommand;
        MessageBoxWatcher watcher(std::move(answer));
        ClickInList(NM_RCLICK, -1);
        return watcher.Seen();
    }
    static int Answer(const MessageBoxInfo& box, int yesOrNo) {
        return box.buttons.size() == 2 ? yesOrNo : box.buttons.front();
    }
};

TEST_F(RemoveAssociationsTest, AsksRemovesOnlyTheCheckedRowsAndReportsTheCount) {
    const auto none = ChooseRemove(MessageBoxWatcher::PressFirstButton);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].caption, L"Remove Associations");
    EXPECT_EQ(none[0].text, L"No extension is checked.\n\nCheck the extensions whose associations "
                            L"with Veltrano are to be removed, then choose the command again.");
    EXPECT_EQ(none[0].Style(), static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(none[0].owner, hwnd);

    SetRowState(0, kCheckedStateImage);
    SetRowState(1, kCheckedStateImage);
    ASSERT_EQ(PressSetAssociations().size(), 1u);
    ASSERT_EQ(RowOverlay(1), 1u);
    SetRowState(0, kUncheckedStateImage);
    const std::wstring registered = DumpTree(HKEY_CURRENT_USER, L"");

    const auto no = ChooseRemove([](const MessageBoxInfo& box) { return Answer(box, IDNO); });
    ASSERT_EQ(no.size(), 1u);
    EXPECT_EQ(no[0].caption, L"Remove Associations");
    EXPECT_EQ(no[0].text, L"Do you want to remove Veltrano's associations of the 1 checked "
                          L"extensions?");
    EXPECT_EQ(no[0].Style(), static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(no[0].owner, hwnd);
    EXPECT_EQ(L"", DiffLines(registered, DumpTree(HKEY_CURRENT_USER, L""))) << "No changes nothing";

    const auto yes = ChooseRemove([](const MessageBoxInfo& box) { return Answer(box, IDYES); });
    ASSERT_EQ(yes.size(), 2u);
    EXPECT_EQ(yes[1].caption, L"Remove Associations");
    EXPECT_EQ(yes[1].text, L"1 extensions have been removed.");
    EXPECT_EQ(yes[1].Style(), static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(yes[1].owner, hwnd);
    EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTMKVFile"));
    EXPECT_FALSE(RawKeyExists(kFileExts + L"\\.MKV"));
    EXPECT_EQ(ReadRawString(kClasses + L"\\VTAVIFile\\shell\\open\\command"),
              L"\"" + kPlayer + L"\" \"%L\"");
    EXPECT_EQ(RowOverlay(0), 1u) << "avi still opens with Veltrano";
    EXPECT_EQ(RowOverlay(1), 0u) << "the marks are read again";
    EXPECT_EQ(StateImages(), (std::vector<UINT>{1, 2, 1})) << "the ticks stay";
}

TEST_F(RemoveAssociationsTest, ARowThatCannotBeRemovedIsShownAndCounted) {
    SetRowState(1, kCheckedStateImage);
    SetRowState(2, kCheckedStateImage);
    ASSERT_EQ(PressSetAssociations().size(), 1u);
    CreateRawKey(kFileExts + L"\\.MKV\\UserChoice\\Blocker");

    const auto boxes = ChooseRemove([](const MessageBoxInfo& box) { return Answer(box, IDYES); });
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].caption, L"CRegistryKey::DeleteKey()");
    EXPECT_EQ(boxes[1].Style(), static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[2].text, L"1 extensions have been removed.\n"
                             L"1 extensions could not be removed.");
    EXPECT_EQ(boxes[2].Style(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(ReadRawString(kFileExts + L"\\.MKV\\UserChoice", L"Progid"), L"VTMKVFile");
    EXPECT_TRUE(RawKeyExists(kClasses + L"\\VTMKVFile\\shell\\open\\command"));
    EXPECT_FALSE(RawKeyExists(kClasses + L"\\VTMP3File"));
    EXPECT_EQ(ReadRawString(L"Software\\RegisteredApplications", L"Veltrano"),
              L"Software\\Clients\\Media\\Veltrano\\Capabilities")
        << "mkv still names Veltrano";
}
