// The performance counter, sleeping and the local date and time on Windows.
#include <windows.h>
// After windows.h, which it needs: the formatter keeps the order.
#include <mmsystem.h>

#include "platform.h"
#include "win32_shared.h"

namespace {
bool timerFine = false;
}  // namespace

namespace win32 {

// The default timer resolution of about 16 ms would stretch every wait.
void fineTimer() {
    if (!timerFine) timerFine = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void endFineTimer() {
    if (timerFine) timeEndPeriod(1);
    timerFine = false;
}

}  // namespace win32

namespace platform {

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
    win32::fineTimer();
    Sleep(static_cast<DWORD>(ms));
}

bool localTime(LocalTime& out) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    out = LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    return true;
}

}  // namespace platform
