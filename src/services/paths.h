#pragma once
// Game paths to host paths. The game names its files with Windows paths: "\"
// or "/" separate, "c:\Windows\NAME" is the player's data directory
// ($XDG_DATA_HOME/rotandor, default ~/.local/share/rotandor, on Linux;
// %APPDATA%\Rotandor on Windows; the page's IndexedDB storage in the
// browser), created when a file is first written there; every other relative
// path is relative to the current directory.
#include <string>

namespace svc {

// The host path a game path names.
std::string hostPath(const std::string& gamePath);
// Whether a game path lies in "c:\Windows", which stands for the player directory.
bool inPlayerDirectory(const std::string& gamePath);
// The directory of the running program, with no trailing separator.
std::string exeDirectory();

}  // namespace svc
