// The game's platform on Windows: plain Win32. The window shows a copy of the
// last presented frame from a device-independent bitmap; input comes from the
// thread's message queue, which pollEvent drains.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "codepages.h"
#include "keys.h"
#include "platform.h"
#include "win32_text.h"

namespace {

constexpr wchar_t windowClass[] = L"Rotandor";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

HWND window = nullptr;
int clientWidth = 0, clientHeight = 0;
std::vector<std::uint32_t> frame;  // what the window shows, clientWidth x clientHeight
std::deque<platform::Event> pending;

int mouseX = 0, mouseY = 0;
int mouseButtons = 0;  // the game's bits: 0 left, 1 right, 2 middle
bool pointerInWindow = false;
bool keysHeld[128] = {};
// Whether the window is the active one, as its activation messages said: asked
// of the system at every look, it costs a round trip each time.
bool windowActive = false;
wchar_t highSurrogate = 0;
bool timerFine = false;
std::string failure;  // why the last window could not be opened

std::string lastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = text != nullptr ? text : "error " + std::to_string(code);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    return out;
}

// The default timer resolution of about 16 ms would stretch every wait.
void fineTimer() {
    if (!timerFine) timerFine = timeBeginPeriod(1) == TIMERR_NOERROR;
}

using win32text::wide;

void queueMouse() {
    const bool inside = pointerInWindow && mouseX >= 0 && mouseY >= 0 && mouseX < clientWidth && mouseY < clientHeight;
    pending.push_back({.kind = platform::EventKind::Mouse, .x = mouseX, .y = mouseY, .buttons = mouseButtons,
                       .inside = inside, .code = {}});
}

void queueKey(std::string code) { pending.push_back({.kind = platform::EventKind::Key, .code = std::move(code)}); }

// Buttons let go while another window had the mouse (a message box, another
// program) are let go here too.
void dropReleasedButtons() {
    int held = 0;
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    if (GetAsyncKeyState(swapped ? VK_RBUTTON : VK_LBUTTON) < 0) held |= 1;
    if (GetAsyncKeyState(swapped ? VK_LBUTTON : VK_RBUTTON) < 0) held |= 2;
    if (GetAsyncKeyState(VK_MBUTTON) < 0) held |= 4;
    if ((mouseButtons & ~held) == 0) return;
    mouseButtons &= held;
    queueMouse();
}

void pointerAt(LPARAM lParam) {
    mouseX = static_cast<short>(LOWORD(lParam));
    mouseY = static_cast<short>(HIWORD(lParam));
    if (!pointerInWindow) {
        pointerInWindow = true;
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
    }
}

void button(LPARAM lParam, int bit, bool down) {
    pointerAt(lParam);
    if (down) {
        mouseButtons |= bit;
        SetCapture(window);  // the release comes here even outside the window
    } else {
        mouseButtons &= ~bit;
        if (mouseButtons == 0) ReleaseCapture();
    }
    queueMouse();
}

using keys::Key;

constexpr keys::Named<WPARAM> namedKeys[] = {
    {VK_RETURN, Key::enter}, {VK_BACK, Key::backspace}, {VK_TAB, Key::tab}, {VK_ESCAPE, Key::escape},
    {VK_UP, Key::up}, {VK_DOWN, Key::down}, {VK_LEFT, Key::left}, {VK_RIGHT, Key::right},
    {VK_HOME, Key::home}, {VK_END, Key::end}, {VK_INSERT, Key::insert}, {VK_DELETE, Key::del},
    {VK_PRIOR, Key::pageUp}, {VK_NEXT, Key::pageDown},
    {VK_F1, Key::f1}, {VK_F2, Key::f2}, {VK_F3, Key::f3}, {VK_F4, Key::f4}, {VK_F5, Key::f5}, {VK_F6, Key::f6},
    {VK_F7, Key::f7}, {VK_F8, Key::f8}, {VK_F9, Key::f9}, {VK_F10, Key::f10}, {VK_F11, Key::f11}, {VK_F12, Key::f12},
};

// Keys that type no character; typed characters come with WM_CHAR.
std::string keyCode(WPARAM vk) {
    std::string code = keys::codeOf(vk, namedKeys);
    if (!code.empty()) return code;
    const bool control = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (control && !alt && vk >= 'A' && vk <= 'Z') return keys::controlCode(static_cast<char>(vk));
    return {};
}

void keyChange(LPARAM lParam, bool down) {
    const unsigned scancode = (static_cast<unsigned>(lParam) >> 16) & 0x7F;
    keysHeld[scancode] = down;
}

void paint(HDC dc, int firstRow, int rows) {
    if (frame.empty() || rows <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = clientWidth;
    info.bmiHeader.biHeight = -rows;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, firstRow, static_cast<DWORD>(clientWidth), static_cast<DWORD>(rows), 0, 0, 0,
                      static_cast<UINT>(rows), frame.data() + static_cast<std::size_t>(firstRow) * clientWidth,
                      &info, DIB_RGB_COLORS);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd != window) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(hwnd, &ps);
            const int top = ps.rcPaint.top < 0 ? 0 : static_cast<int>(ps.rcPaint.top);
            const int bottom = ps.rcPaint.bottom > clientHeight ? clientHeight : static_cast<int>(ps.rcPaint.bottom);
            paint(dc, top, bottom - top);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_CLOSE:
            pending.push_back({.kind = platform::EventKind::Close, .code = {}});
            return 0;
        case WM_ACTIVATE:
            if (hwnd == window) windowActive = LOWORD(wParam) != WA_INACTIVE;
            pending.push_back({.kind = platform::EventKind::Focus, .active = LOWORD(wParam) != WA_INACTIVE, .code = {}});
            if (LOWORD(wParam) != WA_INACTIVE) dropReleasedButtons();
            break;
        case WM_KILLFOCUS:
            std::memset(keysHeld, 0, sizeof keysHeld);
            break;
        case WM_MOUSEMOVE:
            pointerAt(lParam);
            queueMouse();
            return 0;
        case WM_MOUSELEAVE:
            pointerInWindow = false;
            queueMouse();
            return 0;
        case WM_LBUTTONDOWN: button(lParam, 1, true); return 0;
        case WM_LBUTTONUP: button(lParam, 1, false); return 0;
        case WM_RBUTTONDOWN: button(lParam, 2, true); return 0;
        case WM_RBUTTONUP: button(lParam, 2, false); return 0;
        case WM_MBUTTONDOWN: button(lParam, 4, true); return 0;
        case WM_MBUTTONUP: button(lParam, 4, false); return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd) dropReleasedButtons();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            keyChange(lParam, true);
            std::string code = keyCode(wParam);
            if (!code.empty()) queueKey(std::move(code));
            // F10 would open the window menu.
            if (message == WM_SYSKEYDOWN && wParam == VK_F10) return 0;
            break;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP:
            keyChange(lParam, false);
            break;
        case WM_CHAR: {
            const auto unit = static_cast<wchar_t>(wParam);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                highSurrogate = unit;
                return 0;
            }
            std::u16string text;
            if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate != 0) text += static_cast<char16_t>(highSurrogate);
            highSurrogate = 0;
            text += static_cast<char16_t>(unit);
            for (char c : codepage::utf16ToCp437(text)) queueKey(std::string(1, c));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool registerClass() {
    static bool done = false;
    if (done) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = windowClass;
    done = RegisterClassExW(&wc) != 0;
    return done;
}

void destroyWindow() {
    if (window == nullptr) return;
    const HWND old = window;
    window = nullptr;
    DestroyWindow(old);
    frame.clear();
    pending.clear();
    pointerInWindow = false;
    windowActive = false;
    mouseButtons = 0;
    std::memset(keysHeld, 0, sizeof keysHeld);
    highSurrogate = 0;
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
    clientWidth = width;
    clientHeight = height;
    frame.assign(static_cast<std::size_t>(width) * height, 0);
    window = CreateWindowExW(0, windowClass, wide(codepage::cp437ToUtf8(title)).c_str(), windowStyle,
                             x < 0 ? 0 : x, y < 0 ? 0 : y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        failure = lastErrorText();
        frame.clear();
        return false;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
    return true;
}

std::string windowError() { return failure.empty() ? "unknown reason" : failure; }

void closeWindow() { destroyWindow(); }

void setWindowTitle(const std::string& title) {
    if (window != nullptr) SetWindowTextW(window, wide(codepage::cp437ToUtf8(title)).c_str());
}

// The program's icon resource, in the sizes the system asks for; the pixels
// the game passes are the same picture.
void setWindowIcon(const std::uint32_t*, int, int) {
    if (window == nullptr) return;
    const HINSTANCE self = GetModuleHandleA(nullptr);
    const auto big = static_cast<HICON>(LoadImageA(self, "MY_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                   GetSystemMetrics(SM_CYICON), LR_SHARED));
    const auto small = static_cast<HICON>(LoadImageA(self, "MY_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (big != nullptr) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small != nullptr) SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

std::uintptr_t windowHandle() { return reinterpret_cast<std::uintptr_t>(window); }

void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow) {
    if (window == nullptr || pixels == nullptr) return;
    const int columns = width < clientWidth ? width : clientWidth;
    if (firstRow < 0) firstRow = 0;
    if (lastRow > height - 1) lastRow = height - 1;
    if (lastRow > clientHeight - 1) lastRow = clientHeight - 1;
    if (columns <= 0 || firstRow > lastRow) return;
    for (int y = firstRow; y <= lastRow; y++) {
        std::memcpy(frame.data() + static_cast<std::size_t>(y) * clientWidth,
                    pixels + static_cast<std::size_t>(y) * width, static_cast<std::size_t>(columns) * 4);
    }
    const HDC dc = GetDC(window);
    if (dc == nullptr) return;
    paint(dc, firstRow, lastRow - firstRow + 1);
    ReleaseDC(window, dc);
}

bool pollEvent(Event& event) {
    if (pending.empty()) {
        MSG msg;
        while (pending.empty() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (pending.empty()) return false;
    event = pending.front();
    pending.pop_front();
    return true;
}

void keyboardState(bool down[128]) {
    for (int i = 0; i < 128; i++) down[i] = false;
    if (window == nullptr || !windowActive) return;
    for (int i = 1; i < 128; i++) down[i] = keysHeld[i];
}

std::uint64_t counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart);
}

std::uint64_t counterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<std::uint64_t>(frequency.QuadPart);
}

void sleepMilliseconds(int ms) {
    if (ms <= 0) return;
    fineTimer();
    Sleep(static_cast<DWORD>(ms));
}

void waitForEvent(int ms) {
    if (ms <= 0) return;
    if (!pending.empty()) return;
    fineTimer();
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

bool localTime(LocalTime& out) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    out = LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    return true;
}

// The desktop's keyboard is always there.
void lineEntry(bool, int, int) {}

void beep() {
    // The system's own sound for an information; silent where sound is off.
    MessageBeep(MB_OK);
}

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
    if (window != nullptr) dropReleasedButtons();
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
    destroyWindow();
    if (timerFine) timeEndPeriod(1);
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace platform
