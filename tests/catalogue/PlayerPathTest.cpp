// The player path as a program copied to different folders computes it: the catalogue helper
// program is copied there, started, and reports its result through a pipe. (A folder path longer
// than MAX_PATH is checked by RunFromLongFolder.cmake: CreateProcessW cannot start such a copy.)
#include "catalogue/ExtensionCatalogue.h"
#include "support/TestFolder.h"
#include "support/ThisProgram.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : handle(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle; }
    HANDLE* Out() { return &handle; }
    void Reset() {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
        handle = nullptr;
    }

private:
    HANDLE handle = nullptr;
};

std::wstring HelperPath() {
    return ThisProgramsFolder() + L"catalogue_player_path_helper.exe";
}

// A copy of the helper program at the given path, deleted again at the end.
class CopiedHelper {
public:
    explicit CopiedHelper(std::wstring path) : path(std::move(path)) {
        copied = CopyFileW(HelperPath().c_str(), this->path.c_str(), FALSE) != 0;
        EXPECT_TRUE(copied) << "cannot copy the helper, error " << GetLastError();
    }
    ~CopiedHelper() {
        if (copied) {
            DeleteFileW(path.c_str());
        }
    }
    CopiedHelper(const CopiedHelper&) = delete;
    CopiedHelper& operator=(const CopiedHelper&) = delete;

    // Starts the copy and returns what it wrote to its standard output.
    std::wstring Run() const {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        Handle readEnd;
        Handle writeEnd;
        if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0)) {
            ADD_FAILURE() << "CreatePipe failed, error " << GetLastError();
            return std::wstring();
        }
        SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd.Get();
        startup.hStdError = writeEnd.Get();
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        std::wstring commandLine = L"\"" + path + L"\"";
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                            nullptr, &startup, &process)) {
            ADD_FAILURE() << "CreateProcessW failed, error " << GetLastError();
            return std::wstring();
        }
        Handle processHandle(process.hProcess);
        Handle threadHandle(process.hThread);
        writeEnd.Reset(); // so that reading ends when the helper exits

        std::vector<char> bytes;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        WaitForSingleObject(processHandle.Get(), INFINITE);
        DWORD exitCode = 1;
        GetExitCodeProcess(processHandle.Get(), &exitCode);
        EXPECT_EQ(exitCode, 0u);
        const int length = static_cast<int>(bytes.size());
        std::wstring text(bytes.size(), L'\0');
        const int converted = length == 0
                                  ? 0
                                  : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                        length, &text[0], length);
        EXPECT_TRUE(converted > 0 || length == 0) << "the helper wrote no valid UTF-8";
        text.resize(static_cast<std::size_t>(converted));
        return text;
    }

private:
    std::wstring path;
    bool copied = false;
};

} // namespace

TEST(PlayerPath, IsInTheFolderOfThisProgram) {
    EXPECT_EQ(ComputePlayerPath(), ThisProgramsFolder() + L"vtplayer.exe");
    EXPECT_EQ(CopiedHelper(ThisProgramsFolder() + L"vtassoc-catalogue-copy.exe").Run(),
              ThisProgramsFolder() + L"vtplayer.exe");
}

TEST(PlayerPath, ProgramInAFolder) {
    const TestFolder folder(L"vtassoc-tools");
    const CopiedHelper program(folder.Path() + L"assoc.exe");
    EXPECT_EQ(program.Run(), folder.Path() + L"vtplayer.exe");
}

TEST(PlayerPath, ProgramInADrivesRootGetsNoDoubledSeparator) {
    const CopiedHelper program(L"C:\\vtassoc-root-test.exe");
    EXPECT_EQ(program.Run(), L"C:\\vtplayer.exe");
}

TEST(PlayerPath, FolderNamesBeyondAsciiWithBlanksAndCommas) {
    const TestFolder folder(L"vtassoc-catalogue \u00c4\u00df, \u97f3\u697d \u2713");
    const CopiedHelper program(folder.Path() + L"assoc.exe");
    EXPECT_EQ(program.Run(), folder.Path() + L"vtplayer.exe");
}
