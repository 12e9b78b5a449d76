#include "registration/PlayerCheck.h"

#include <windows.h>

PlayerProblem CheckPlayer(const std::wstring& playerPath) {
    if (playerPath.find(L'%') != std::wstring::npos) {
        return PlayerProblem::PercentSign;
    }
    const DWORD attributes = GetFileAttributesW(playerPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0
               ? PlayerProblem::None
               : PlayerProblem::Missing;
}
