// Splitting a byte stream into items at commas, line ends and, for numbers,
// blanks and tabs.
#include "item_reader.h"

#include "platform.h"

namespace svc::records {

namespace {

constexpr std::size_t chunkSize = 64 * 1024;

int peek(Source& s) {
    if (s.pos >= s.data.size()) {
        if (s.fd < 0 || s.drained) return -1;
        s.data.resize(chunkSize);
        const std::int64_t got = platform::readFile(s.fd, s.data.data(), chunkSize);
        if (got <= 0) {
            // A read error ends the file like its end would.
            s.drained = true;
            s.data.clear();
            s.pos = 0;
            return -1;
        }
        s.data.resize(static_cast<std::size_t>(got));
        s.pos = 0;
    }
    return static_cast<unsigned char>(s.data[s.pos]);
}

void skip(Source& s) {
    s.pos++;
    s.consumed++;
}

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

void skipBlanks(Source& s) {
    while (isBlank(peek(s))) skip(s);
}

struct Builder {
    Item item;
    ReadKind kind;
    bool afterAmpersand = false;

    void add(int c) {
        char b = static_cast<char>(c);
        if (kind == ReadKind::number) {
            if (b == '&') afterAmpersand = true;
            if (!afterAmpersand && (b == '.' || b == 'E' || b == 'e' || b == 'D' || b == 'd')) {
                item.decimal = true;
                if (b == 'D') b = 'E';
                if (b == 'd') b = 'e';
            }
        }
        item.bytes.push_back(b);
    }
};

}  // namespace

Source memorySource(std::string_view text) {
    Source s;
    s.data.assign(text);
    return s;
}

Item readItem(Source& s, ReadKind kind) {
    const std::size_t limit = kind == ReadKind::text ? textItemLimit : numberItemLimit;
    Builder b{{}, kind};
    skipBlanks(s);
    int c = peek(s);
    if (c < 0) return b.item;

    bool unquoted = true;  // bytes up to a separator still belong to the item
    if (c == '"') {
        skip(s);
        bool closed = false;
        while (b.item.bytes.size() < limit) {
            c = peek(s);
            if (c < 0 || isLineEnd(c)) break;
            skip(s);
            if (c == '"') {
                closed = true;
                break;
            }
            b.add(c);
        }
        // A text item ends at its closing quote; a number goes on unquoted.
        unquoted = closed && kind == ReadKind::number;
    }
    if (unquoted) {
        while (b.item.bytes.size() < limit) {
            c = peek(s);
            if (c < 0 || c == ',' || isLineEnd(c)) break;
            if (kind == ReadKind::number && isBlank(c)) break;
            skip(s);
            b.add(c);
        }
    }

    skipBlanks(s);
    c = peek(s);
    if (c == ',' || c == '\n') {
        skip(s);
    } else if (c == '\r') {
        skip(s);
        if (peek(s) == '\n') skip(s);
    }
    return b.item;
}

}  // namespace svc::records
