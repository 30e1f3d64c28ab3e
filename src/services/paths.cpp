// Game paths to host paths. The game names its files with Windows paths; on
// this system "\" and "/" both separate, and the fixed Windows directory that
// holds the player's files is the player's data directory.
#include <cstdlib>
#include <string>

#include "records.h"

namespace svc {

namespace {

std::string playerDirectory() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/rotandor";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.local/share/rotandor";
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); i++) {
        char a = text[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string hostPath(const std::string& gamePath) {
    std::string path = gamePath;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    const std::string windows = "c:/windows/";
    if (startsWithNoCase(path, windows)) return playerDirectory() + "/" + path.substr(windows.size());
    return path;
}

}  // namespace svc
