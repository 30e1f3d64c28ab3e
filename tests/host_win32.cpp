#include <windows.h>

#include <cstdlib>
#include <filesystem>

#include "host.h"

namespace host {

namespace {

// Set in the child: the directory it works in.
constexpr const char* childVariable = "ROTANDOR_TEST_CHILD_DIR";

}  // namespace

std::string makeTemporaryDirectory() {
    const auto base = std::filesystem::temp_directory_path();
    for (unsigned n = GetTickCount() * 7919u + GetCurrentProcessId();; n++) {
        const auto dir = base / ("rotandor-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n));
        if (CreateDirectoryW(dir.c_str(), nullptr)) return dir.string();
        if (GetLastError() != ERROR_ALREADY_EXISTS) std::abort();
    }
}

void setEnvironment(const char* name, const char* value) {
    _putenv_s(name, value != nullptr ? value : "");
}

void setPlayerBase(const std::string& base) {
    setEnvironment("APPDATA", base.c_str());
}

const char* playerFolder() {
    return "Rotandor";
}

const char* tempVariable() {
    return "TMP";
}
// Under Wine, drive Z: is the host's root.
const char* memoryDirectory() {
    return "Z:\\dev\\shm";
}

bool posix() {
    return false;
}

bool runDyingChild(const char* testName, void (*)()) {
    wchar_t self[MAX_PATH];
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return false;
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=" + std::filesystem::path(testName).wstring();
    setEnvironment(childVariable, std::filesystem::current_path().string().c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started =
        CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
    setEnvironment(childVariable, nullptr);
    if (!started) return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void childPart(void (*body)()) {
    const char* dir = std::getenv(childVariable);
    if (dir == nullptr || dir[0] == '\0') return;
    // The player directory came with the environment; the current one did not.
    std::filesystem::current_path(dir);
    body();
    TerminateProcess(GetCurrentProcess(), 0);
}

}  // namespace host
