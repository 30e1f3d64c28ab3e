// Where the program lies and where its complaints go, on a POSIX system.
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform.h"

namespace platform {

std::string programDirectory() {
    std::vector<char> path(PATH_MAX + 1);
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return ".";
    std::string exe(path.data(), static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return exe.substr(0, slash);
}

void reportError(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace platform
