// The window's messages turned into the game's input: the pointer in client
// pixels, buttons that another window took the release of, keys, typed
// characters, focus and close. pollEvent drains the thread's message queue.
#include <cstring>
#include <deque>
#include <string>

#include "codepages.h"
#include "platform.h"
#include "win32_shared.h"

namespace {

using win32::window;

std::deque<platform::Event> pending;
int mouseX = 0, mouseY = 0;
int mouseButtons = 0;  // the game's bits: 0 left, 1 right, 2 middle
bool pointerInWindow = false;
bool keysHeld[128] = {};
// Whether the window is the active one, as its activation messages said: asked
// of the system at every look, it costs a round trip each time.
bool windowActive = false;
wchar_t highSurrogate = 0;

void queueMouse() {
    const bool inside =
        pointerInWindow && mouseX >= 0 && mouseY >= 0 && mouseX < win32::clientWidth && mouseY < win32::clientHeight;
    pending.push_back({.kind = platform::EventKind::Mouse,
                       .x = mouseX,
                       .y = mouseY,
                       .buttons = mouseButtons,
                       .inside = inside,
                       .code = {}});
}

void queueKey(std::string code) {
    pending.push_back({.kind = platform::EventKind::Key, .code = std::move(code)});
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

void keyChange(LPARAM lParam, bool down) {
    const unsigned scancode = (static_cast<unsigned>(lParam) >> 16) & 0x7F;
    keysHeld[scancode] = down;
}

}  // namespace

namespace win32 {

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

void forgetInput() {
    pending.clear();
    pointerInWindow = false;
    windowActive = false;
    mouseButtons = 0;
    std::memset(keysHeld, 0, sizeof keysHeld);
    highSurrogate = 0;
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
        case WM_ERASEBKGND: return 1;
        case WM_CLOSE: pending.push_back({.kind = platform::EventKind::Close, .code = {}}); return 0;
        case WM_ACTIVATE:
            if (hwnd == window) windowActive = LOWORD(wParam) != WA_INACTIVE;
            pending.push_back(
                {.kind = platform::EventKind::Focus, .active = LOWORD(wParam) != WA_INACTIVE, .code = {}});
            if (LOWORD(wParam) != WA_INACTIVE) dropReleasedButtons();
            break;
        case WM_KILLFOCUS: std::memset(keysHeld, 0, sizeof keysHeld); break;
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
        case WM_SYSKEYUP: keyChange(lParam, false); break;
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
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace win32

namespace platform {

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

void waitForEvent(int ms) {
    if (ms <= 0) return;
    if (!pending.empty()) return;
    win32::fineTimer();
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// The desktop's keyboard is always there.
void lineEntry(bool, int, int) {}

}  // namespace platform
