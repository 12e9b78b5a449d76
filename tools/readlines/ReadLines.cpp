// readlines FILE: opens FILE with the program's TextFile, reads every line and prints one JSON
// line on standard output:
//   {"open":R,"encoding":E,"lines":[[u,u,...],...]}  each line as its UTF-16 code units
//   {"open":-2,"error":"..."}                         when Open failed, with its error text
// Exit code 0 when the file was read, 1 when Open failed, 2 for a wrong command line.
#include "definitions/ErrorText.h"
#include "definitions/TextFile.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

// JSON string contents for a wide text; everything outside printable ASCII as \uXXXX.
std::string JsonEscape(const wchar_t* text) {
    std::string out;
    for (const wchar_t* p = text; *p; ++p) {
        const unsigned unit = static_cast<unsigned>(*p) & 0xFFFF;
        if (unit == '"' || unit == '\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit == '\n') {
            out += "\\n";
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", unit);
            out += escaped;
        }
    }
    return out;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: readlines FILE\n", stderr);
        return 2;
    }
    // One JSON line ending in a bare line feed, whatever the console's text mode would make of it.
    _setmode(_fileno(stdout), _O_BINARY);
    TextFile file;
    const int opened = file.Open(argv[1]);
    if (opened != TextFileOk) {
        const wchar_t* error = lastErrorText ? lastErrorText.get() : L"";
        std::printf("{\"open\":%d,\"error\":\"%s\"}\n", opened, JsonEscape(error).c_str());
        return 1;
    }
    std::string out = "{\"open\":0,\"encoding\":" + std::to_string(file.encoding) + ",\"lines\":[";
    LineBuffer<wchar_t> line;
    bool first = true;
    while (file.reader->ReadLine(line.Pointer(), file.codePage) == TextFileOk) {
        out += first ? "[" : ",[";
        first = false;
        for (const wchar_t* unit = line.Text(); *unit; ++unit) {
            if (unit != line.Text()) {
                out += ',';
            }
            out += std::to_string(static_cast<unsigned>(*unit) & 0xFFFF);
        }
        out += ']';
    }
    out += "]}\n";
    file.Close();
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
