#include "common/SystemErrorText.h"
#include "TempFile.h"
#include "definitions/ErrorText.h"
#include "definitions/TextFile.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The server end of a named pipe that a TextFile opens as its file. On its own thread it writes
// each piece once the reader has taken everything before it, so every piece arrives by its own
// read, and then hangs up: from then on reads fail with ERROR_PIPE_NOT_CONNECTED.
class PipeServer {
public:
    explicit PipeServer(std::vector<std::string> pieces)
        : path(L"\\\\.\\pipe\\vt-readers-" + std::to_wstring(GetCurrentProcessId())) {
        pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                65536, 65536, 0, nullptr);
        server = std::thread([this, pieces] {
            ConnectNamedPipe(pipe, nullptr);
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                if (i > 0) {
                    WaitUntilDrained();
                }
                DWORD written = 0;
                WriteFile(pipe, pieces[i].data(), static_cast<DWORD>(pieces[i].size()), &written,
                          nullptr);
            }
            if (!pieces.empty()) {
                WaitUntilDrained();
            }
            DisconnectNamedPipe(pipe);
        });
    }
    ~PipeServer() {
        // A test that failed early leaves the server waiting: for a client, or for one to read.
        stopping = true;
        HANDLE unblock =
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (unblock != INVALID_HANDLE_VALUE) {
            CloseHandle(unblock);
        }
        server.join();
        CloseHandle(pipe);
    }
    const wchar_t* Path() const { return path.c_str(); }
    // The reader's handle, which the server watches; set once Open returned.
    std::atomic<HANDLE> client{nullptr};

private:
    void WaitUntilDrained() {
        DWORD available = 1;
        while (available != 0 && !stopping) {
            Sleep(1);
            HANDLE reader = client.load();
            if (reader && !PeekNamedPipe(reader, nullptr, 0, nullptr, &available, nullptr)) {
                return;
            }
        }
    }
    std::wstring path;
    HANDLE pipe;
    std::atomic<bool> stopping{false};
    std::thread server;
};

std::wstring ReadErrorText(DWORD code, const wchar_t* path) {
    return L"Error " + std::to_wstring(code) + L" reading file:\n\n" + path + L"\n\n(" +
           SystemErrorPhrase(code) + L")";
}

} // namespace

TEST(TextFile, OwnsTheFileFromOpenUntilCloseOrDestruction) {
    TempFile temp("one\ntwo\n");
    {
        TextFile file;
        ASSERT_EQ(file.Open(temp.Path()), TextFileOk);
        EXPECT_EQ(file.name, temp.Path());
        EXPECT_EQ(file.mode, 1u);
        EXPECT_EQ(file.encoding, EncodingAnsi);
        EXPECT_NE(file.handle, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(WritableByOthers(temp.Path()));

        EXPECT_EQ(file.Close(), 0);
        EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(file.mode, 0u);
        EXPECT_FALSE(file.reader);
        EXPECT_TRUE(file.name.empty());
        EXPECT_TRUE(WritableByOthers(temp.Path()));
        EXPECT_EQ(file.Close(), 0);

        ASSERT_EQ(file.Open(temp.Path()), TextFileOk);
        // Opening another file while open lets go of the first.
        TempFile other("\xEF\xBB\xBF"
                       "2");
        ASSERT_EQ(file.Open(other.Path()), TextFileOk);
        EXPECT_TRUE(WritableByOthers(temp.Path()));
        EXPECT_EQ(file.name, other.Path());
        EXPECT_EQ(file.encoding, EncodingUtf8);
        ASSERT_EQ(file.Open(temp.Path()), TextFileOk);
        EXPECT_FALSE(WritableByOthers(temp.Path()));
    }
    // Destroyed without Close: the file is free again.
    EXPECT_TRUE(WritableByOthers(temp.Path()));
}

TEST(TextFile, ReadCharSkipsCarriageReturnsAndDecodesEachEncoding) {
    struct Case {
        std::string bytes;
        std::vector<int> chars;
    };
    const Case cases[] = {
        {"", {}},
        {"a\r\rb\n", {'a', 'b', '\n'}},
        {"\xEF\xBB\xBF\xF0\x9F\x98\x80\r\xC3\xA9\xF8\xE2\x82", {0x1F600, 0xE9, 0xFFFD}},
        {std::string("\xFF\xFE"
                     "A\0\r\0\n\0B",
                     9),
         {'A', '\n', 0xFFFD}},
        {std::string("\xFE\xFF\0A\0\r\x4E\x2D", 8), {'A', 0x4E2D}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        TempFile temp(c.bytes);
        TextFile file;
        ASSERT_EQ(file.Open(temp.Path()), TextFileOk);
        for (int expected : c.chars) {
            EXPECT_EQ(file.reader->ReadChar(), expected);
        }
        EXPECT_EQ(file.reader->ReadChar(), TextFileEnd);
        EXPECT_EQ(file.reader->ReadChar(), TextFileEnd);
    }
}

TEST(TextFile, AReadErrorAtTheByteOrderMarkFailsOpenButKeepsTheFileOpen) {
    PipeServer server({});
    TextFile file;
    EXPECT_EQ(file.Open(server.Path()), TextFileError);
    EXPECT_EQ(std::wstring(lastErrorText.get()),
              ReadErrorText(ERROR_PIPE_NOT_CONNECTED, server.Path()));
    EXPECT_EQ(file.mode, 1u);
    EXPECT_NE(file.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(file.handle, INVALID_HANDLE_VALUE);
}

TEST(TextFile, ShortReadsSplittingAUnitAndAReadErrorThatALaterCallRetries) {
    // "A" is cut between two reads: its low byte comes with the mark, its high byte later.
    PipeServer server({"\xFF\xFE"
                       "A",
                       std::string("\0B\0\n\0C\0", 7)});
    TextFile file;
    ASSERT_EQ(file.Open(server.Path()), TextFileOk);
    server.client = file.handle;
    LineBuffer<wchar_t> line;
    ASSERT_EQ(file.reader->ReadLine(line.Pointer(), 0), TextFileOk);
    EXPECT_STREQ(line.Text(), L"AB");
    // The pipe hangs up: the line read so far is delivered and the error is kept.
    ASSERT_EQ(file.reader->ReadLine(line.Pointer(), 0), TextFileOk);
    EXPECT_STREQ(line.Text(), L"C");
    EXPECT_EQ(std::wstring(lastErrorText.get()),
              ReadErrorText(ERROR_PIPE_NOT_CONNECTED, server.Path()));
    SetLastErrorText(IDS_ERROR_WRITING_FILE, {0, L"", L""});
    EXPECT_EQ(file.reader->ReadLine(line.Pointer(), 0), TextFileEnd);
    EXPECT_EQ(std::wstring(lastErrorText.get()),
              ReadErrorText(ERROR_PIPE_NOT_CONNECTED, server.Path()));
}
