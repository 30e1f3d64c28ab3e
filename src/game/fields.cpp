#include "fields.h"

#include "panels.h"
#include "player.h"
#include "records.h"
#include "stakes.h"

namespace game {

RoundBet bet;
HitRegion regions[fieldCount];
int regionCursor = 0;

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

void clearRoundSelection() {
    bet.fieldChosen = 0;
    bet.typedStakeActive = 0;
    bet.chip25Active = 0;
    bet.chip50Active = 0;
    bet.chip100Active = 0;
    bet.chosenNumber = -1;
    bet.chosenField = -1;
    bet.stake = 0;
}

bool betReady() {
    return (bet.typedStakeActive || bet.chip25Active || bet.chip50Active || bet.chip100Active) && bet.fieldChosen;
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
            regions[records] = region;
            bet.betMarks[records] = mark;
        }
        // Saturates instead of overflowing on an endless file.
        if (records < 1000000000) records++;
    }
    svc::closeFile(fileNumber);
    regionCursor = records;
}

void clearBetMarks() {
    for (int i = 0; i < betFieldCount; i++) bet.betMarks[i] = 0.0;
}

bool hitTestStep(const svc::Mouse& mouse) {
    if (mouse.buttons != 1) return false;
    regionCursor++;
    if (regionCursor > fieldCount - 1) regionCursor = 0;
    const HitRegion& r = regions[regionCursor];
    if (mouse.x < r.xLeft || mouse.x > r.xRight || mouse.y < r.yTop || mouse.y > r.yBottom) return false;
    if (regionCursor < betFieldCount) {
        if (fieldOpen(regionCursor)) chooseField(regionCursor);
    } else {
        selectChip(regionCursor);
    }
    return true;
}

bool fieldOpen(int field) {
    if (field >= 51 && field <= 72) return cornersUnlocked != 0;
    if (field >= 73 && field <= 83) return moneyMode != 0;
    return field >= 0 && field < betFieldCount;
}

std::string fieldMessage(int field) {
    if (field <= 36) return "auf die " + svc::intToText(field) + " gesetzt" + std::string(15, ' ');
    if (field <= 50) return outsideMessages[field - 37];
    if (field <= 72) {
        const int k = field - 51;
        const int a = 3 * (k / 2) + k % 2 + 1;
        return padded("auf die " + svc::intToText(a) + ", " + svc::intToText(a + 1) + ", " + svc::intToText(a + 3) +
                      " & " + svc::intToText(a + 4) + " gesetzt");
    }
    const int k = field - 73;
    return padded("auf die Zahlen " + svc::intToText(3 * k + 1) + "-" + svc::intToText(3 * k + 6) + " gesetzt");
}

void chooseField(int field) {
    printGradient(fieldMessage(field), 58, 5, cyanScheme);
    clearBetMarks();
    bet.betMarks[field] = 1.0;
    bet.chosenField = field;
    if (field <= 36) bet.chosenNumber = field;
    bet.fieldChosen = 1;
}

}  // namespace game
