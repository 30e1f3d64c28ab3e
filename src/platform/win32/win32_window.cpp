// The game's platform on Windows: plain Win32. One window, whose client area
// shows the game's frame (win32_present.cpp) and whose messages are its input
// (win32_input.cpp).
#include <string>

#include "codepages.h"
#include "platform.h"
#include "win32_shared.h"
#include "win32_text.h"

namespace win32 {

HWND window = nullptr;
int clientWidth = 0, clientHeight = 0;

void destroyWindow() {
    if (window == nullptr) return;
    const HWND old = window;
    window = nullptr;
    DestroyWindow(old);
    resizeFrame(0, 0);
    forgetInput();
}

}  // namespace win32

namespace {

using win32::window;
using win32text::wide;

constexpr wchar_t windowClass[] = L"Rotandor";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::string failure;  // why the last window could not be opened

std::string lastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = text != nullptr ? text : "error " + std::to_string(code);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    return out;
}

bool registerClass() {
    static bool done = false;
    if (done) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = win32::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = windowClass;
    done = RegisterClassExW(&wc) != 0;
    return done;
}

}  // namespace

namespace platform {

bool openWindow(int width, int height, const std::string& title) {
    closeWindow();
    if (width <= 0 || height <= 0) {
        failure = "no such window size";
        return false;
    }
    if (!registerClass()) {
        failure = lastErrorText();
        return false;
    }
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, windowStyle, FALSE, 0);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    // The client area centred, as on every other system; the frame lies around it.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2 + outer.left;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2 + outer.top;
    win32::clientWidth = width;
    win32::clientHeight = height;
    win32::resizeFrame(width, height);
    window = CreateWindowExW(0, windowClass, wide(codepage::cp437ToUtf8(title)).c_str(), windowStyle, x < 0 ? 0 : x,
                             y < 0 ? 0 : y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        failure = lastErrorText();
        win32::resizeFrame(0, 0);
        return false;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    return true;
}

std::string windowError() {
    return failure.empty() ? "unknown reason" : failure;
}

void closeWindow() {
    win32::destroyWindow();
}

void setWindowTitle(const std::string& title) {
    if (window != nullptr) SetWindowTextW(window, wide(codepage::cp437ToUtf8(title)).c_str());
}

// The program's icon resource, in the sizes the system asks for; the pixels
// the game passes are the same picture.
void setWindowIcon(const std::uint32_t*, int, int) {
    if (window == nullptr) return;
    const HINSTANCE self = GetModuleHandleA(nullptr);
    const auto big = static_cast<HICON>(
        LoadImageA(self, "MY_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    const auto small = static_cast<HICON>(LoadImageA(self, "MY_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (big != nullptr) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small != nullptr) SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

std::uintptr_t windowHandle() {
    return reinterpret_cast<std::uintptr_t>(window);
}

}  // namespace platform
