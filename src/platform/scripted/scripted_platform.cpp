// The scripted platform: everything the services ask of the operating system,
// answered from a script so that tests run fast and always the same way.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"
#include "scripted.h"

namespace {

struct Scheduled {
    double time;
    platform::Event event;
};

struct KeyHold {
    int scancode;
    double from, to;
};

struct State {
    double clock = 0;
    double pollCost = 1e-6;
    double stopLimit = -1;
    bool timeAvailable = true;
    std::int64_t wallStart = 0;  // seconds since 0000-03-01 of the local time at clock 0
    std::deque<Scheduled> events;
    std::vector<KeyHold> holds;
    std::vector<scripted::Box> boxes;
    double boxDuration = 1.0;
    bool windowOpen = false;
    int width = 0, height = 0;
    int windowsOpened = 0;
    std::string title;
    std::vector<std::uint32_t> icon;
    int iconSize = 0;
    std::vector<std::uint32_t> shown;
    int presents = 0;
    std::string programDirectory = ".";
    std::string playerDirectory;
    int refuseFrom = 0;  // the first window refused (1 = every one), 0 none
    std::string refusal;
    std::vector<std::string> errorLines;
    int beeps = 0;
    int lineEntries = 0;
    bool lineEntryOpen = false;
    int wakeUps = 0;
};

State state;

// Days from 0000-03-01 to the given civil date, and back.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe);
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

void checkStop() {
    if (state.stopLimit >= 0 && state.clock > state.stopLimit) {
        state.stopLimit = -1;
        throw scripted::ScriptEnded{};
    }
}

void schedule(double time, const platform::Event& event) {
    auto it = std::upper_bound(state.events.begin(), state.events.end(), time,
                               [](double t, const Scheduled& s) { return t < s.time; });
    state.events.insert(it, Scheduled{time, event});
}

}  // namespace

namespace platform {

bool openWindow(int width, int height, const std::string& title) {
    state.windowOpen = false;
    if (state.refuseFrom > 0 && state.windowsOpened + 1 >= state.refuseFrom) return false;
    state.windowOpen = true;
    state.width = width;
    state.height = height;
    state.title = title;
    state.shown.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    state.windowsOpened++;
    return true;
}

std::string windowError() {
    return state.refusal;
}

void closeWindow() {
    state.windowOpen = false;
}

void setWindowTitle(const std::string& title) {
    state.title = title;
}

void setWindowIcon(const std::uint32_t* argb, int width, int height) {
    state.icon.assign(argb, argb + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    state.iconSize = width;
}

std::uintptr_t windowHandle() {
    return state.windowOpen ? 1 : 0;
}

void present(const std::uint32_t* pixels, int width, int height, int firstRow, int lastRow) {
    if (!state.windowOpen || width != state.width || height != state.height) return;
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, height - 1);
    for (int y = firstRow; y <= lastRow; y++) {
        std::memcpy(&state.shown[static_cast<std::size_t>(y) * width], pixels + static_cast<std::size_t>(y) * width,
                    sizeof(std::uint32_t) * width);
    }
    state.presents++;
}

bool pollEvent(Event& event) {
    state.clock += state.pollCost;
    checkStop();
    if (state.events.empty() || state.events.front().time > state.clock) return false;
    event = state.events.front().event;
    state.events.pop_front();
    return true;
}

void keyboardState(bool down[128]) {
    for (int i = 0; i < 128; i++) down[i] = false;
    for (const KeyHold& h : state.holds) {
        if (h.scancode >= 0 && h.scancode < 128 && state.clock >= h.from && state.clock < h.to) {
            down[h.scancode] = true;
        }
    }
}

std::uint64_t counter() {
    return static_cast<std::uint64_t>(std::llround(state.clock * 1e9));
}

std::uint64_t counterFrequency() {
    return 1000000000ULL;
}

void sleepMilliseconds(int ms) {
    if (ms > 0) {
        state.clock += ms / 1000.0;
        state.wakeUps++;
    }
    checkStop();
}

void waitForEvent(int ms) {
    double until = state.clock + std::max(ms, 0) / 1000.0;
    if (!state.events.empty()) until = std::min(until, std::max(state.clock, state.events.front().time));
    state.clock = until;
    state.wakeUps++;
    checkStop();
}

bool localTime(LocalTime& out) {
    if (!state.timeAvailable) return false;
    const std::int64_t total = state.wallStart + static_cast<std::int64_t>(std::floor(state.clock));
    std::int64_t days = total / 86400;
    std::int64_t secs = total % 86400;
    if (secs < 0) {
        secs += 86400;
        days--;
    }
    civilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(secs / 3600);
    out.minute = static_cast<int>(secs / 60 % 60);
    out.second = static_cast<int>(secs % 60);
    return true;
}

void beep() {
    state.beeps++;
}

void lineEntry(bool open, int, int) {
    if (open && !state.lineEntryOpen) state.lineEntries++;
    state.lineEntryOpen = open;
}

void messageBox(const std::string& caption, const std::string& text) {
    scripted::Box box{caption, text, state.clock, {}, {}};
    if (!state.playerDirectory.empty()) {
        box.playerFiles = scripted::filesIn(state.playerDirectory);
        std::error_code ec;
        box.currentFiles = scripted::filesIn(std::filesystem::current_path(ec).string());
    }
    state.boxes.push_back(std::move(box));
    state.clock += state.boxDuration;
}

std::string programDirectory() {
    return state.programDirectory;
}

void reportError(const std::string& line) {
    state.errorLines.push_back(line);
}

void exitProcess(int status) {
    state.windowOpen = false;
    throw scripted::ProgramEnded{status};
}

}  // namespace platform

namespace scripted {

void reset() {
    state = State{};
    setLocalTime(2026, 12, 7, 12, 0, 0);
}

double now() {
    return state.clock;
}

void advance(double seconds) {
    state.clock += seconds;
}

void setPollCost(double seconds) {
    state.pollCost = seconds;
}
void stopAt(double seconds) {
    state.stopLimit = seconds;
}

void setLocalTime(int year, int month, int day, int hour, int minute, int second) {
    state.timeAvailable = true;
    state.wallStart = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                      hour * 3600 + minute * 60 + second - static_cast<std::int64_t>(std::floor(state.clock));
}

void setLocalTimeUnavailable() {
    state.timeAvailable = false;
}

void at(double seconds, const platform::Event& event) {
    schedule(seconds, event);
}

void mouseAt(double seconds, int x, int y, int buttons) {
    platform::Event e;
    e.kind = platform::EventKind::Mouse;
    e.x = x;
    e.y = y;
    e.buttons = buttons;
    e.inside = true;
    schedule(seconds, e);
}

void mouseOutsideAt(double seconds) {
    platform::Event e;
    e.kind = platform::EventKind::Mouse;
    e.x = -1;
    e.y = -1;
    e.inside = false;
    schedule(seconds, e);
}

void focusAt(double seconds, bool active) {
    platform::Event e;
    e.kind = platform::EventKind::Focus;
    e.active = active;
    schedule(seconds, e);
}

void keyAt(double seconds, const std::string& code) {
    platform::Event e;
    e.kind = platform::EventKind::Key;
    e.code = code;
    schedule(seconds, e);
}

void closeAt(double seconds) {
    platform::Event e;
    e.kind = platform::EventKind::Close;
    schedule(seconds, e);
}

void holdKey(int scancode, double from, double to) {
    state.holds.push_back({scancode, from, to});
    // A key going down is reported by the window, typed character or not.
    platform::Event e;
    e.kind = platform::EventKind::Key;
    schedule(from, e);
}

int pendingEvents() {
    return static_cast<int>(state.events.size());
}

const std::vector<Box>& boxes() {
    return state.boxes;
}

// Read with the standard library, so that nothing the program buffers or
// defers counts as written.
Files filesIn(const std::string& dir) {
    Files files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}
void setBoxDuration(double seconds) {
    state.boxDuration = seconds;
}

bool windowOpen() {
    return state.windowOpen;
}
int windowWidth() {
    return state.width;
}
int windowHeight() {
    return state.height;
}
std::string windowTitle() {
    return state.title;
}
int windowsOpened() {
    return state.windowsOpened;
}
const std::vector<std::uint32_t>& windowIcon() {
    return state.icon;
}
int windowIconSize() {
    return state.iconSize;
}
const std::vector<std::uint32_t>& shownPixels() {
    return state.shown;
}
int presents() {
    return state.presents;
}
void setProgramDirectory(const std::string& dir) {
    state.programDirectory = dir;
}
void setPlayerDirectory(const std::string& dir) {
    state.playerDirectory = dir;
}

void refuseWindows(int from, const std::string& reason) {
    state.refuseFrom = from;
    state.refusal = reason;
}
const std::vector<std::string>& errorLines() {
    return state.errorLines;
}
int beeps() {
    return state.beeps;
}
int lineEntries() {
    return state.lineEntries;
}
bool lineEntryOpen() {
    return state.lineEntryOpen;
}
int wakeUps() {
    return state.wakeUps;
}

}  // namespace scripted

namespace {
// A fresh machine before any test touches it.
const bool initialised = (scripted::reset(), true);
}  // namespace
