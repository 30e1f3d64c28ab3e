#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "host.h"

namespace host {

std::string makeTemporaryDirectory() {
    std::string templ = (std::filesystem::temp_directory_path() / "rotandor-test-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) std::abort();
    return templ;
}

void setEnvironment(const char* name, const char* value) {
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

void setPlayerBase(const std::string& base) {
    setEnvironment("XDG_DATA_HOME", base.c_str());
}

const char* playerFolder() {
    return "rotandor";
}

const char* tempVariable() {
    return "TMPDIR";
}
const char* memoryDirectory() {
    return "/dev/shm";
}

bool posix() {
    return true;
}

bool runDyingChild(const char*, void (*body)()) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child;
}

void childPart(void (*)()) {}

}  // namespace host
