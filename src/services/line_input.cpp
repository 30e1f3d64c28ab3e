// Typing one line on the graphics screen: echo at the text cursor, a soft
// cursor under the input position, and the usual editing keys.
#include "line_input.h"

#include <cstdint>
#include <optional>
#include <string>

#include "input.h"
#include "number_text.h"
#include "platform.h"
#include "screen.h"
#include "timer.h"

namespace svc {

namespace {

constexpr std::size_t maxLine = 255;
constexpr int pollMs = 25;
constexpr int cell = 8;

struct Editor {
    int rows = 0, columns = 0;
    long long start = 0;  // cell of the line's first character, counted row by row from 0
    std::string line;
    std::size_t pos = 0;
};

// Scrolls the screen up until the cell at this offset of the line exists.
void reach(Editor& e, std::size_t offset) {
    const long long cells = static_cast<long long>(e.rows) * e.columns;
    while (e.start + static_cast<long long>(offset) >= cells) {
        setTextCursor(e.rows, 1);
        printLineEnd();
        e.start -= e.columns;
    }
}

void putAt(Editor& e, std::size_t offset, char c) {
    reach(e, offset);
    const long long index = e.start + static_cast<long long>(offset);
    if (index < 0) return;  // scrolled off the top
    setTextCursor(static_cast<int>(index / e.columns) + 1, static_cast<int>(index % e.columns) + 1);
    printText(std::string_view(&c, 1));
}

void reprintFrom(Editor& e, std::size_t from) {
    for (std::size_t i = from; i < e.line.size(); i++) putAt(e, i, e.line[i]);
}

void showCursor(Editor& e) {
    reach(e, e.pos);
    const long long index = e.start + static_cast<long long>(e.pos);
    if (index < 0) return;
    const int x0 = static_cast<int>(index % e.columns) * cell;
    const int y = static_cast<int>(index / e.columns) * cell + cell - 1;
    std::uint32_t* p = screenPixels() + static_cast<std::size_t>(y) * static_cast<std::size_t>(screenWidth()) + x0;
    for (int dx = 0; dx < cell; dx++) p[dx] = textForeground();
    markRowsChanged(y, y);
}

void hideCursor(Editor& e) {
    putAt(e, e.pos, e.pos < e.line.size() ? e.line[e.pos] : ' ');
}

void insert(Editor& e, const std::string& text) {
    const std::size_t room = maxLine - e.line.size();
    const std::string part = text.substr(0, room);
    if (part.empty()) return;
    e.line.insert(e.pos, part);
    reprintFrom(e, e.pos);
    e.pos += part.size();
}

void erase(Editor& e, std::size_t at) {
    e.line.erase(at, 1);
    reprintFrom(e, at);
    putAt(e, e.line.size(), ' ');
}

void extendedKey(Editor& e, char which) {
    switch (which) {
        case platform::key::left:
            if (e.pos > 0) e.pos--;
            break;
        case platform::key::right:
            if (e.pos < e.line.size()) e.pos++;
            break;
        case platform::key::home: e.pos = 0; break;
        case platform::key::end: e.pos = e.line.size(); break;
        case platform::key::up:
            if (e.pos >= static_cast<std::size_t>(e.columns)) e.pos -= e.columns;
            break;
        case platform::key::down:
            if (e.pos + e.columns <= e.line.size()) e.pos += e.columns;
            break;
        case platform::key::del:
            if (e.pos < e.line.size()) {
                erase(e, e.pos);
            } else {
                platform::beep();  // nothing to delete
            }
            break;
        default: break;
    }
}

void edit(Editor& e, const std::string& key) {
    const unsigned char c = static_cast<unsigned char>(key[0]);
    if (c == 0xFF && key.size() >= 2) {
        extendedKey(e, key[1]);
    } else if (c == 8) {
        if (e.pos > 0) {
            e.pos--;
            erase(e, e.pos);
        }
    } else if (c == 9) {
        const long long column = ((e.start + static_cast<long long>(e.pos)) % e.columns + e.columns) % e.columns;
        insert(e, std::string(static_cast<std::size_t>(8 - column % 8), ' '));
    } else if (c == 27) {
        for (std::size_t i = 0; i < e.line.size(); i++) putAt(e, i, ' ');
        e.line.clear();
        e.pos = 0;
    } else if (c >= 32) {
        insert(e, std::string(1, static_cast<char>(c)));
    }
}

// Tells the platform while a line is typed, however the typing ends.
struct LineEntry {
    LineEntry(int x, int y) { platform::lineEntry(true, x, y); }
    ~LineEntry() { platform::lineEntry(false, 0, 0); }
    LineEntry(const LineEntry&) = delete;
    LineEntry& operator=(const LineEntry&) = delete;
};

}  // namespace

std::optional<std::int32_t> inputInteger() {
    // Without a window no key can come: wait as for an empty ring.
    while (!screenOpen()) delayMs(pollMs);
    if (textRows() < 1 || textColumns() < 1) return 0;
    const LineEntry entry((textCursorColumn() - 1) * cell, (textCursorRow() - 1) * cell);
    // The click that opened the input has done its work, however short it was.
    takeSeenPress();
    Editor e;
    e.rows = textRows();
    e.columns = textColumns();
    e.start = static_cast<long long>(textCursorRow() - 1) * e.columns + (textCursorColumn() - 1);
    showCursor(e);
    for (;;) {
        const std::string key = readKey();
        if (key.empty()) {
            delayMs(pollMs);
            continue;
        }
        if (key == "\r" || key == "\n") break;
        hideCursor(e);
        if (key.size() == 2 && static_cast<unsigned char>(key[0]) == 0xFF && key[1] == platform::key::close) {
            return std::nullopt;
        }
        edit(e, key);
        showCursor(e);
    }
    hideCursor(e);
    // Column 1 of the row below the line's last character.
    const long long last = e.start + static_cast<long long>(e.line.empty() ? 0 : e.line.size() - 1);
    setTextCursor(last < 0 ? 1 : static_cast<int>(last / e.columns) + 1, 1);
    printLineEnd();
    return lineToInt(e.line);
}

}  // namespace svc
