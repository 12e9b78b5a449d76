// Which icon files the program opens and registers: files on a local drive of this computer,
// named by a full path. An icon file named by a definition file, a registry value of other
// software or a dialog is judged here before anything opens it or writes it: a path to another
// computer would make the program, and Explorer after it, connect there with the user's
// credentials whenever the icon is shown. The player's own file is no such input: the open
// command runs it from wherever it is, so its icon may be shown from there too.
#pragma once

#include <string>
#include <utility>

// Why the icon file may not be opened or registered, as one sentence for the user; nullptr when
// it may. An empty file names no icon: it opens nothing and is not refused. Anything else must be
// a drive letter, a colon and a backslash, then a path without another colon and without a comma
// (a DefaultIcon value cannot tell which comma ends the file), shorter than MAX_PATH, on a local
// drive (fixed, removable, CD/DVD or RAM disk: not a network drive, nor a letter that names no
// drive now and that Explorer may later find mapped to a share), whose last part does not name a
// device.
const wchar_t* IconFileRefusal(const std::wstring& file);

// The same judgement for many files in a row (the statements of a definition file): the type of
// each drive is asked for once, which costs a call into the system's mount manager.
class IconLocationGate {
public:
    IconLocationGate() = default;
    // A gate that also accepts the player's own file (its path exactly as given), wherever it is.
    explicit IconLocationGate(std::wstring playerFile) : playerFile(std::move(playerFile)) {}

    const wchar_t* Refusal(const std::wstring& file);

private:
    std::wstring playerFile;
    // GetDriveTypeW of A: to Z:, plus one; 0 where it has not been asked yet.
    unsigned driveTypes[26] = {};
};
