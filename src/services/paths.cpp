// Game paths to host paths. The game names its files with Windows paths; on
// this system "\" and "/" both separate, and the fixed Windows directory that
// holds the player's files is the player's data directory.
#include <cstdlib>
#include <string>

#include "records.h"
#include "records_detail.h"

namespace svc {

namespace {

constexpr std::string_view windowsPrefix = "c:/windows/";

std::string withSlashes(const std::string& gamePath) {
    std::string path = gamePath;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); i++) {
        char a = text[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != prefix[i]) return false;
    }
    return true;
}

}  // namespace

namespace records {

std::string playerDirectory() {
    // Relative values are to be ignored, as for every XDG variable.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/rotandor";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/share/rotandor";
}

bool inPlayerDirectory(const std::string& gamePath) {
    const std::string path = withSlashes(gamePath);
    return path.size() > windowsPrefix.size() && startsWithNoCase(path, windowsPrefix);
}

}  // namespace records

std::string hostPath(const std::string& gamePath) {
    const std::string path = withSlashes(gamePath);
    if (records::inPlayerDirectory(path)) return records::playerDirectory() + "/" + path.substr(windowsPrefix.size());
    return path;
}

}  // namespace svc
