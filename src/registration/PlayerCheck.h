// Whether the registrations may point at the player: the open command that they write starts it
// by its path.
#pragma once

#include <string>

enum class PlayerProblem {
    None,
    // No file at the path (or a folder): files of the registered types would not open until the
    // player is there. Registering anyway is the user's decision.
    Missing,
    // The path holds "%", which Windows takes for a placeholder of the open command: no file would
    // open. Never registered.
    PercentSign,
};

PlayerProblem CheckPlayer(const std::wstring& playerPath);
