#pragma once

#include <string>

namespace tapestra {

// The user's roaming application-data folder, ending in a separator: Linux
// $XDG_CONFIG_HOME (default ~/.config), Windows %APPDATA%. Empty when the platform has none.
std::string GetAppDataPath();

// Our data folder inside it: appData + "ZENTRO/Tapestra/".
std::string DataFolderIn(const std::string& appData);

// Makes sure the folder exists, creating only its last level (a missing parent makes this
// fail, and so does a plain file standing in its place).
bool EnsureFolder(const std::string& folder);

// Creates the data folder and the folders above it, as an installer would, so a first start
// can create its library there. Failures are left for the writers to report.
void PrepareDataFolder(const std::string& folder);

}  // namespace tapestra
