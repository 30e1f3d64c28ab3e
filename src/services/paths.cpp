// Game paths to host paths. The game names its files with Windows paths; here
// "\" and "/" both separate, and the fixed Windows directory that held the
// player's files is the player's data directory of the system it runs on (that
// fixed directory is not writable by a normal user, even on Windows).
#include "paths.h"

#include <string>

#include "platform.h"

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

bool inPlayerDirectory(const std::string& gamePath) {
    const std::string path = withSlashes(gamePath);
    return path.size() > windowsPrefix.size() && startsWithNoCase(path, windowsPrefix);
}

std::string hostPath(const std::string& gamePath) {
    const std::string path = withSlashes(gamePath);
    if (inPlayerDirectory(path)) return platform::playerDirectory() + "/" + path.substr(windowsPrefix.size());
    return path;
}

std::string exeDirectory() {
    return platform::programDirectory();
}

}  // namespace svc
