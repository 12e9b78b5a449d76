#include "definitions/IdfLoader.h"

#include "catalogue/ExtensionGate.h"
#include "common/AsciiCase.h"
#include "definitions/ErrorText.h"
#include "definitions/LineBuffer.h"
#include "definitions/TextFile.h"
#include "pattern/StatementPattern.h"

#include <shlwapi.h>

#include <cwchar>
#include <new>
#include <utility>

namespace {

// What matching one line may cost. The matcher backtracks without memory, and a line built to
// defeat it (such as many thousands of "AddExt(ext=a,file=b," in a row) would keep it busy for
// hours. Lines of ordinary length stay far below the base; a long line, statement or not, needs
// fewer than twenty steps per character. The limit keeps a hostile line of ten megabytes to about
// a second.
constexpr std::uint64_t MatchBaseSteps = 1000000;
constexpr std::uint64_t MatchStepsPerChar = 32;

// Reads the statements of the open file into the catalogue, telling the reporter of every line
// that is not taken.
IdfLoadEnd ReadStatements(TextFile& file, const std::wstring& path, ExtensionCatalogue& catalogue,
                          IdfLoadReporter& reporter) {
    IdfStatementReader statements(IdfDirectoryOf(path));
    // The readers report a failed read like the end of the file, and leave its text behind: with
    // no text to begin with, a text after a read tells the two apart.
    lastErrorText.reset();
    LineBuffer<wchar_t> line;
    IconLocationGate iconFiles;
    for (std::size_t lineNumber = 1;; ++lineNumber) {
        const int read = file.reader->ReadLine(line.Pointer(), file.codePage);
        if (lastErrorText) {
            // What the read delivered may be cut anywhere: it is not taken as a line.
            reporter.FileError(lastErrorText.get());
            return IdfLoadEnd::Read;
        }
        if (read != TextFileOk) {
            return IdfLoadEnd::Read;
        }
        ExtensionEntry entry;
        const wchar_t* refusal = nullptr;
        if (statements.Read(line.Text(), entry)) {
            refusal = StatementRefusal(entry, iconFiles);
            if (refusal == nullptr) {
                catalogue.AddOrReplaceEntry(std::move(entry));
                continue;
            }
        }
        if (!reporter.LineProblem(lineNumber, line.Text(), refusal)) {
            return IdfLoadEnd::Stopped;
        }
    }
}

} // namespace

IdfLoadEnd LoadIdfFile(const std::wstring& givenPath, ExtensionCatalogue& catalogue,
                       IdfLoadReporter& reporter) {
    TextFile file; // closes the file on every way out
    try {
        const std::wstring path = AbsoluteIdfPath(givenPath.c_str());
        if (file.Open(path.c_str()) != TextFileOk) {
            reporter.FileError(lastErrorText ? lastErrorText.get() : L"");
            return IdfLoadEnd::NotOpened;
        }
        return ReadStatements(file, path, catalogue, reporter);
    } catch (const std::bad_alloc&) {
        // A line or an entry too large for the memory left: what was read so far stays.
        reporter.OutOfMemory();
        return IdfLoadEnd::Read;
    }
}

std::wstring AbsoluteIdfPath(const wchar_t* path) {
    if (!PathIsRelativeW(path)) {
        return path;
    }
    wchar_t combined[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, combined);
    if (length == 0 || length >= MAX_PATH || !PathAppendW(combined, path)) {
        // Too long for the path functions: the file system resolves the path as it is.
        return path;
    }
    wchar_t canonical[MAX_PATH] = {};
    if (!PathCanonicalizeW(canonical, combined)) {
        return path;
    }
    return canonical;
}

std::wstring IdfDirectoryOf(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

const wchar_t* StatementRefusal(ExtensionEntry& entry, IconLocationGate& iconFiles) {
    entry.extension = WithoutLeadingFullStop(std::move(entry.extension));
    if (const wchar_t* reason = ExtensionRefusal(entry.extension)) {
        return reason;
    }
    return iconFiles.Refusal(entry.iconFile);
}

IdfStatementReader::IdfStatementReader(std::wstring directory)
    : idfDirectory(std::move(directory)) {
    // The pattern is a constant that compiles; its result needs no check.
    program.Compile(idfStatementPattern, false);
}

bool IdfStatementReader::Read(const wchar_t* line, ExtensionEntry& entry) {
    context.stepLimit = MatchBaseSteps + MatchStepsPerChar * std::wcslen(line);
    if (!program.Match(line, &context)) {
        return false;
    }
    entry = ExtensionEntry{};
    for (std::uint32_t group = 0; group < context.groupCount; ++group) {
        ApplyField(context.CapturedWideText(group), entry);
    }
    return true;
}

// One field of a statement; a later field of the same kind overwrites an earlier one.
void IdfStatementReader::ApplyField(std::wstring_view field, ExtensionEntry& entry) const {
    if (StartsWithIgnoringAsciiCase(field, L"ext=")) {
        entry.extension = LowerAscii(field.substr(4));
    } else if (StartsWithIgnoringAsciiCase(field, L"file=")) {
        // Built in place, with room for the directory in front of a relative file.
        std::wstring& file = entry.iconFile;
        file.clear();
        file.reserve(idfDirectory.size() + field.size() - 5);
        file.assign(field.substr(5));
        if (PathIsRelativeW(file.c_str())) {
            file.insert(0, idfDirectory);
        }
    } else if (StartsWithIgnoringAsciiCase(field, L"index=")) {
        entry.iconIndex.assign(1, L'-').append(field.substr(6));
    }
}
