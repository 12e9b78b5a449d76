// What an extension opens with now, as far as Veltrano is concerned: read back from the current
// user's registry, the inverse of what the registration writes. Reading changes nothing.
#pragma once

#include <array>
#include <string>
#include <vector>

// The file type is read as Windows merges the current user's classes and the machine's: the
// user's key, when there is one, hides the machine's.
enum class AssociationState {
    // Veltrano's file type for the extension is missing, or its open command is not the tool's;
    // always for an extension that the registration refuses (RefusedExtension).
    NotRegistered,
    // The file type is complete, but the user choice names another program (or there is none).
    RegisteredElsewhere,
    // The user choice (ReadUserChoice) names the file type, in any letter case, and its open
    // command is the one the tool writes. From Windows 8 on only Windows writes a user choice,
    // when the user picks Veltrano in Default apps, so this is what Windows opens the type with.
    OpensWithVeltrano,
};

// A key below Explorer's FileExts\.EXT in which Windows keeps the program that the user chose
// for the type.
struct UserChoiceKey {
    const wchar_t* name;      // the key, below FileExts\.EXT
    const wchar_t* progIdKey; // the key below it whose value ProgId names the file type, or null
                              // when that value is in the key itself
};

// The keys of the user choice in the order in which Windows reads them: the first that holds a
// ProgId decides. Windows 11 (since 2025) keeps the choice in UserChoiceLatest\ProgId and reads it
// first, often leaving an older choice behind in UserChoice; earlier versions know only
// UserChoice (value ProgId as Windows writes it, Progid as the tool writes it on Vista and 7;
// value names have no letter case).
const std::array<UserChoiceKey, 2>& UserChoiceKeys();

// The path below FileExts\.EXT of the key whose value ProgId names the file type.
std::wstring ProgIdKeyPath(const UserChoiceKey& key);

AssociationState ReadAssociationState(const std::wstring& extension,
                                      const std::wstring& playerPath);

// The state of each extension, in order, as ReadAssociationState gives it. A type whose file type
// is surely not among the current user's classes (SubkeyNameSet) is not read further, nor the
// user choice of a type that Explorer keeps nothing for.
std::vector<AssociationState> ReadAssociationStates(const std::vector<std::wstring>& extensions,
                                                    const std::wstring& playerPath);

// What a file type opens with now: its state, the file type that its user choice names, read as
// the state reads it (empty when no key of the user choice holds one), and where Veltrano's file
// type with the tool's open command is: the current user's classes, the machine's, or both.
struct TypeAssociation {
    AssociationState state;
    std::wstring userChoice;
    bool inUserClasses;
    bool inMachineClasses;
};

// The association of each extension, in order. Reading changes nothing.
std::vector<TypeAssociation> ReadTypeAssociations(const std::vector<std::wstring>& extensions,
                                                  const std::wstring& playerPath);
