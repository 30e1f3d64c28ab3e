#include "table.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fields.h"
#include "flow.h"
#include "icon.h"
#include "image.h"
#include "input.h"
#include "number_text.h"
#include "panels.h"
#include "paths.h"
#include "player.h"
#include "program_end.h"
#include "screen.h"
#include "settlement.h"
#include "stakes.h"
#include "timer.h"
#include "vocabulary.h"
#include "wheel.h"

namespace game {

namespace {

struct Picture {
    const char* file;
    int width, height, x, y;
};

// A chip's picture, centred on its ring.
constexpr Picture chipPicture(const char* file, int chip) {
    constexpr int half = chipPictureSize / 2;
    return {file, chipPictureSize, chipPictureSize, chipCentreX[chip] - half, chipCentreY - half};
}

// Drawn in this order: the wheel covers the table where they overlap.
const Picture pictures[] = {
    {"Tisch.roulette", 612, 520, 1, 1},        {"RK.roulette", 593, 645, 335, 1},
    chipPicture("Chip 25.roulette", chip25),   chipPicture("Chip 50.roulette", chip50),
    chipPicture("Chip 100.roulette", chip100),
};

void drawPictures() {
    svc::Image* images[5];
    for (int i = 0; i < 5; i++) images[i] = svc::createImage(pictures[i].width, pictures[i].height);
    for (int i = 0; i < 5; i++) svc::loadBitmap(svc::exeDirectory() + "\\" + pictures[i].file, images[i]);
    for (int i = 0; i < 5; i++) svc::drawImage(pictures[i].x, pictures[i].y, images[i]);
    for (svc::Image* image : images) svc::destroyImage(image);
}

void drawPanelsAndLabels() {
    drawPanel(firstStatusLine);
    drawPanel(secondStatusLine);
    drawPanel(startButton);
    drawPanel(balanceLine);
    drawPanel(stakeLine);
    printPrompt();
    printGradient("Roulettekugel", {75, 5}, cyanScheme);
    printGradient("starten", {77, 8}, cyanScheme);
    printGradient("Einsatz: ", stakeLabelText, greenScheme);
    // The first drawing ends the line with a blank, the round's reset
    // without; on an empty panel both look the same.
    printBalance(" Euro ");
}

// While the left button is up a pass can only notice the window's events and
// the croupier's deadline, so an idle table sleeps until one of them comes.
// The cap only bounds what a missed wake-up could cost.
constexpr int idleCapMs = 1000;

int idleWaitMs() {
    // The croupier spins once the timer has passed his deadline: wake just after it.
    const double left = (spinDeadline - svc::timerSeconds()) * 1000;
    if (!(left < idleCapMs)) return idleCapMs;
    return std::max(1, static_cast<int>(std::floor(left)) + 1);
}

}  // namespace

void printFirstStatus(std::string_view text) {
    printGradient(text, firstStatusText, cyanScheme);
}

void printSecondStatus(std::string_view text) {
    printGradient(text, secondStatusText, cyanScheme);
}

void printPrompt() {
    printSecondStatus("Machen sie bitte ihr Spiel!     ");
}

void printBalance(std::string_view euroEnd) {
    if (!moneyMode) return;
    printGradient("Guthaben: " + svc::unsigned64ToText(player.balance) + std::string(euroEnd), balanceText,
                  greenScheme);
}

void openTable() {
    openScreen(tableWidth, tableHeight);
    clearRound();
    initWheel();
    deriveTableFlags();
    setFirstDeadline();
    clearBetMarks();
    setGameIcon();
    svc::setWindowTitle("Rotandor");
    drawPictures();
    drawPanelsAndLabels();
    loadLayout();
}

bool tablePass() {
    svc::lockScreen();
    const svc::Mouse mouse = svc::readMouse();
    svc::setTextColor(0xFFFFFF);
    if (mouse.buttons == 1) {
        hitTestStep(mouse);
        if (onStakeLine(mouse)) {
            // The entry shows what is typed as it comes.
            svc::unlockScreen();
            stakeEntry();
            svc::lockScreen();
        }
    }
    svc::unlockScreen();
    if (mouse.buttons == 1) startButtonTest(mouse);
    croupierTimer();
    if (svc::isKeyDown(svc::escapeKey)) svc::endProgram();
    if (!svc::readKey().empty()) {
        svc::sleepMs(100);
        svc::endProgram();
    }
    return mouse.buttons == 1;
}

void runTable() {
    for (;;) {
        // A held button is served at full speed: its region may be 87 passes away.
        if (!tablePass()) svc::waitForInput(idleWaitMs());
    }
}

}  // namespace game
