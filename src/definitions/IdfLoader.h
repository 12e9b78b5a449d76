// Extension definition files (IDF): text files of AddExt(...) statements, each of which adds an
// extension to the catalogue or replaces the entry stored under it.
//
// A statement is «AddExt(field,field,field)» anywhere in a line, with the fields «ext=TEXT»,
// «file=TEXT» and «index=DIGITS» in any order (ASCII letters in any case). The extension is
// stored lower-cased (ASCII letters only), a relative icon file is taken relative to the IDF
// file's directory, and the index is stored with a leading "-": it names an icon resource.
#pragma once

#include "catalogue/ExtensionCatalogue.h"
#include "catalogue/IconLocationGate.h"
#include "pattern/MatchContext.h"
#include "pattern/PatternProgram.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What a load meets that the user is to hear of, told to the caller as it happens: the window
// shows it in boxes, the command line writes it out.
class IdfLoadReporter {
public:
    virtual ~IdfLoadReporter() = default;

    // The file cannot be opened, or a read failed before its end (the statements read before it
    // stay): `text` is what the readers say about it, with the file's path.
    virtual void FileError(const std::wstring& text) = 0;
    // Line `lineNumber` (from 1) holds no statement (`refusal` null), or a statement that is not
    // taken, for the reason `refusal`. Returns false to stop the load there.
    virtual bool LineProblem(std::size_t lineNumber, const wchar_t* line,
                             const wchar_t* refusal) = 0;
    // Memory ran out for a line or an entry: what was read before stays.
    virtual void OutOfMemory() = 0;
};

// How a load ended.
enum class IdfLoadEnd {
    Read,      // to the end of the file, or to a failed read or a lack of memory (both reported)
    Stopped,   // the reporter asked to stop at a line
    NotOpened, // the file could not be opened (reported)
};

// Loads the IDF file at `path` (made absolute first: AbsoluteIdfPath) into the catalogue. Every
// statement takes effect as its line is read, unless StatementRefusal refuses it: a refused
// statement and a line that is not a statement go to the reporter, which decides whether the
// load goes on. The list is left to the caller, which rebuilds it from the catalogue afterwards:
// entries it refers to may have been replaced.
IdfLoadEnd LoadIdfFile(const std::wstring& path, ExtensionCatalogue& catalogue,
                       IdfLoadReporter& reporter);

// The path made absolute: a relative path is appended to the current directory and "." and ".."
// parts are resolved. An absolute path, and one that does not fit into MAX_PATH characters
// together with the current directory, is returned as it is.
std::wstring AbsoluteIdfPath(const wchar_t* path);

// The directory part of the path up to and including its last "\" (or "/"); empty when it has
// none.
std::wstring IdfDirectoryOf(const std::wstring& path);

// Why the entry of a statement is not taken into the catalogue, as one sentence for the user;
// nullptr when it is. One leading full stop of the extension is dropped first. A statement must
// name an extension that may be registered (ExtensionRefusal) and an icon file on this computer
// (IconFileRefusal), or none.
const wchar_t* StatementRefusal(ExtensionEntry& entry, IconLocationGate& iconFiles);

// Recognises the statements of one load: the statement pattern, compiled once, and the match
// context that every line reuses.
class IdfStatementReader {
public:
    // `idfDirectory` is where relative icon files lie (IdfDirectoryOf the IDF file's path).
    explicit IdfStatementReader(std::wstring idfDirectory);

    // True when the line holds a statement (the first one counts); `entry` then holds what its
    // three fields give, each field left empty that the statement does not name. False for a
    // line without a statement, and for one so hostile that the matcher would need more than a
    // million steps and 32 steps per character (a real statement line needs fewer than twenty).
    bool Read(const wchar_t* line, ExtensionEntry& entry);

private:
    void ApplyField(std::wstring_view field, ExtensionEntry& entry) const;

    std::wstring idfDirectory;
    PatternProgram program;
    MatchContext context;
};
