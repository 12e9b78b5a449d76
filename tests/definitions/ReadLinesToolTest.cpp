// The readlines tool as a user runs it: its one JSON line for a readable and a missing file.
#include "common/SystemErrorText.h"
#include "TempFile.h"
#include "definitions/ErrorText.h"

#include <gtest/gtest.h>

namespace {

// Runs readlines with one argument; its standard output.
std::string RunReadLines(const std::wstring& argument) {
    std::string exe = READLINES_EXE;
    if (!exe.empty() && exe[0] == '/') {
        exe = "Z:" + exe; // a build-tree path of the host, seen through Wine's drive Z:
    }
    std::wstring command =
        L"\"" + std::wstring(exe.begin(), exe.end()) + L"\" \"" + argument + L"\"";

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
            output.append(chunk, got);
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    EXPECT_TRUE(started) << "cannot start " << exe;
    return output;
}

} // namespace

TEST(ReadLinesTool, PrintsTheUnitsOfEveryLine) {
    TempFile temp("\xEF\xBB\xBF"
                  "a\"\r\n\n\xF0\x9F\x98\x80");
    EXPECT_EQ(RunReadLines(temp.Path()),
              "{\"open\":0,\"encoding\":4,\"lines\":[[97,34],[],[55357,56832]]}\n");
}

TEST(ReadLinesTool, PrintsTheEscapedErrorOfAFailedOpen) {
    const std::wstring system = SystemErrorPhrase(ERROR_PATH_NOT_FOUND);
    std::string systemAscii; // the system's texts here are ASCII
    for (wchar_t c : system) {
        systemAscii += static_cast<char>(c);
    }
    EXPECT_EQ(RunReadLines(L"C:\\no such\\d\u00e9f.idf"),
              "{\"open\":-2,\"error\":\"Cannot open file:\\n\\nC:\\\\no such\\\\d\\u00e9f.idf"
              "\\n\\nerror 3 (" +
                  systemAscii + ")\"}\n");
}
