// Message boxes, the program's directory, complaints and the end of the
// program, on Windows.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codepages.h"
#include "platform.h"
#include "win32_shared.h"
#include "win32_text.h"

namespace platform {

using win32text::wide;

void messageBox(const std::string& caption, const std::string& text) {
    // No owner, so the box stands by itself above every window. The bytes are
    // Windows-1252: as they are where that is the system's code page; on a
    // Cyrillic, Greek, Asian or UTF-8 system the euro sign and the umlauts
    // would show as other letters, so there they go as the letters they are.
    constexpr UINT style = MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL;
    if (GetACP() == 1252) {
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    } else {
        MessageBoxW(nullptr, wide(codepage::cp1252ToUtf8(text)).c_str(), wide(codepage::cp1252ToUtf8(caption)).c_str(),
                    style);
    }
    if (win32::window != nullptr) win32::dropReleasedButtons();
}

std::string programDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return ".";
        if (n < path.size()) break;
        path.resize(path.size() * 2);
    }
    const std::string exe = win32text::utf8(path.data());
    const std::size_t slash = exe.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return exe.substr(0, slash);
}

void reportError(const std::string& line) {
    // Started from a console or with its output caught, the line goes there;
    // started from the desktop, nobody would see it but in a box.
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err != nullptr && err != INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    } else {
        MessageBoxW(nullptr, wide(line).c_str(), L"Rotandor", MB_OK | MB_ICONERROR);
    }
}

void exitProcess(int status) {
    win32::destroyWindow();
    win32::endFineTimer();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace platform
