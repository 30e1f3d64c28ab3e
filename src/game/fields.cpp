#include "fields.h"

#include "flow.h"
#include "input.h"
#include "number_text.h"
#include "panels.h"
#include "paths.h"
#include "player.h"
#include "records.h"
#include "stakes.h"
#include "table.h"

namespace game {

namespace {

namespace owned {
FieldBet fieldBet;
HitRegion regions[fieldCount];
int regionCursor = 0;
}  // namespace owned

}  // namespace

const FieldBet& fieldBet = owned::fieldBet;
const HitRegion (&regions)[fieldCount] = owned::regions;
const int& regionCursor = owned::regionCursor;

namespace {

const std::string layoutFile = "Button.txt";

// Every message is 32 characters so that it covers the one before.
std::string padded(std::string text) {
    text.resize(32, ' ');
    return text;
}

const char* const outsideMessages[] = {
    "auf die Zahlen von 1-18 gesetzt ",  // 37
    "auf gerade Zahlen gesetzt       ",  // 38
    "auf rot gesetzt                 ",  // 39
    "auf schwarz gesetzt             ",  // 40
    "auf ungerade Zahlen gesetzt     ",  // 41
    "auf die Zahlen von 19-36 gesetzt",  // 42
    "auf 1st 12 Zahlen gesetzt       ",  // 43
    "auf 2nd 12 Zahlen gesetzt       ",  // 44
    "auf 3rd 12 Zahlen gesetzt       ",  // 45
    "auf 1. Kollonne gesetzt         ",  // 46
    "auf 2. Kollonne gesetzt         ",  // 47
    "auf 3. Kollonne gesetzt         ",  // 48
    "auf die 0, 1 & 2 gesetzt        ",  // 49
    "auf die 0, 2 & 3 gesetzt        ",  // 50
};

}  // namespace

void resetFields() {
    for (HitRegion& r : owned::regions) r = HitRegion{};
    owned::regionCursor = 0;
    owned::fieldBet = FieldBet{};
}

void clearBetMarks() {
    for (int i = 0; i < betFieldCount; i++) owned::fieldBet.betMarks[i] = 0.0;
}

void clearFieldChoice() {
    owned::fieldBet.fieldChosen = 0;
    owned::fieldBet.chosenNumber = -1;
    owned::fieldBet.chosenField = -1;
}

void betOnField(int field) {
    clearBetMarks();
    owned::fieldBet.betMarks[field] = 1.0;
    owned::fieldBet.chosenField = field;
    if (inRange(field, numberFields)) owned::fieldBet.chosenNumber = field;
    owned::fieldBet.fieldChosen = 1;
}

void loadLayout() {
    // Started from elsewhere, the game still finds the layout beside the program.
    std::string path = layoutFile;
    if (!svc::fileExists(path)) path = svc::exeDirectory() + "\\" + layoutFile;
    svc::openFile(path, svc::OpenMode::input, fileNumber);
    int records = 0;
    while (!svc::atEndOfFile(fileNumber)) {
        svc::beginRead(fileNumber);
        HitRegion region;
        region.xLeft = svc::readInt();
        region.xRight = svc::readInt();
        region.yTop = svc::readInt();
        region.yBottom = svc::readInt();
        const double mark = svc::readDouble();
        if (records < fieldCount) {
            owned::regions[records] = region;
            owned::fieldBet.betMarks[records] = mark;
        }
        // Saturates instead of overflowing on an endless file.
        if (records < 1000000000) records++;
    }
    svc::closeFile(fileNumber);
    owned::regionCursor = records;
}

bool hitTestStep(const svc::Mouse& mouse) {
    if (mouse.buttons != 1) return false;
    owned::regionCursor++;
    if (regionCursor > fieldCount - 1) owned::regionCursor = 0;
    const HitRegion& r = regions[regionCursor];
    if (!contains(Rect{r.xLeft, r.yTop, r.xRight, r.yBottom}, mouse.x, mouse.y)) return false;
    if (regionCursor < betFieldCount) {
        if (fieldOpen(regionCursor)) chooseField(regionCursor);
    } else {
        selectChip(regionCursor);
    }
    return true;
}

bool fieldOpen(int field) {
    if (inRange(field, cornerFields)) return cornersUnlocked != 0;
    if (inRange(field, sixLineFields)) return moneyMode != 0;
    return field >= 0 && field < betFieldCount;
}

std::string fieldMessage(int field) {
    if (inRange(field, numberFields)) return "auf die " + svc::intToText(field) + " gesetzt" + std::string(15, ' ');
    if (field <= trioFields.last) return outsideMessages[field - lowHalfField];
    if (inRange(field, cornerFields)) {
        const auto number = [&](int which) { return svc::intToText(cornerNumber(field, which)); };
        return padded("auf die " + number(0) + ", " + number(1) + ", " + number(2) + " & " + number(3) + " gesetzt");
    }
    return padded("auf die Zahlen " + svc::intToText(sixLineFirst(field)) + "-" + svc::intToText(sixLineLast(field)) +
                  " gesetzt");
}

void chooseField(int field) {
    printSecondStatus(fieldMessage(field));
    betOnField(field);
}

}  // namespace game
