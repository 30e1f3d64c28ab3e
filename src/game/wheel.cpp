#include "wheel.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "drawing.h"
#include "fields.h"
#include "input.h"
#include "panels.h"
#include "program_end.h"
#include "random.h"
#include "screen.h"
#include "settlement.h"
#include "stakes.h"
#include "table.h"
#include "timer.h"
#include "vocabulary.h"

namespace game {

namespace {

namespace owned {
Ball ball;
int winningNumber = -1;
double spinDeadline = 0;
}  // namespace owned

}  // namespace

const Ball& ball = owned::ball;
const int& winningNumber = owned::winningNumber;
const double& spinDeadline = owned::spinDeadline;

namespace {

constexpr std::uint32_t ballColour = 0xFFFFFF;
constexpr std::uint32_t trackColour = 0xAAAAAA;
constexpr int ballRadius = 5;

double pocketAngle(int pocket) {
    return pocket * 2 * std::numbers::pi / 37;
}

void drawBall(std::uint32_t colour) {
    svc::drawCircle(ball.ballX, ball.ballY, ballRadius, colour);
    svc::floodFill(ball.ballX, ball.ballY, colour, colour);
}

void playerSpin() {
    startBall();
    settleRound();
    setNextDeadline();
}

}  // namespace

void resetWheel() {
    owned::ball = Ball{};
    owned::spinDeadline = 0;
    clearWinningNumber();
}

void clearWinningNumber() {
    owned::winningNumber = -1;
}

void initWheel() {
    owned::ball.firstSpinPending = 1;
    owned::ball.ballPocket = 0;
}

int pocketX(int pocket) {
    return static_cast<int>(std::nearbyint(orbitX - orbitRadius * std::sin(pocketAngle(pocket))));
}

int pocketY(int pocket) {
    return static_cast<int>(std::nearbyint(orbitY - orbitRadius * std::cos(pocketAngle(pocket))));
}

void startBall() {
    svc::seedRandom(svc::timerSeconds(), svc::fastGenerator);
    owned::ball.spinSpeed = static_cast<float>(svc::randomUnit() * 37 + 111);
    if (ball.firstSpinPending) owned::ball.ballPocket = static_cast<int>(std::floor(svc::randomUnit() * 37));
    owned::ball.firstSpinPending = 0;
    owned::ball.stepDelay = 10;
    do {
        if (svc::isKeyDown(svc::escapeKey)) svc::endProgram();
        owned::ball.ballPocket++;
        if (ball.ballPocket > 36) owned::ball.ballPocket = 0;
        svc::lockScreen();
        if (ball.ballX > 0 && ball.ballY > 0) drawBall(trackColour);
        owned::ball.ballX = pocketX(ball.ballPocket);
        owned::ball.ballY = pocketY(ball.ballPocket);
        drawBall(ballColour);
        svc::unlockScreen();
        svc::delayMs(ball.stepDelay);
        // In double: single precision would round 3 x speed before the delay is rounded.
        owned::ball.stepDelay = static_cast<int>(std::nearbyint(450.0 - 3.0 * static_cast<double>(ball.spinSpeed)));
        owned::ball.spinSpeed = ball.spinSpeed - 1.0f;
    } while (ball.spinSpeed > 0);
    svc::lockScreen();
    svc::drawCircle(ball.ballX, ball.ballY, ballRadius, trackColour);
    drawBall(ballColour);
    svc::unlockScreen();
    owned::winningNumber = wheelOrder[ball.ballPocket];
}

void setNextDeadline() {
    owned::spinDeadline = svc::timerSeconds() + std::floor(svc::randomUnit() * 51) + 10;
}

void setFirstDeadline() {
    owned::spinDeadline = svc::timerSeconds() + std::floor(svc::randomUnit() * 28) + 3;
}

void startButtonTest(const svc::Mouse& mouse) {
    if (mouse.buttons != 1 || !contains(startButton, mouse.x, mouse.y)) return;
    // Each test on its own, the typed stake first; a settled spin clears the
    // bet, so one spin a click.
    if (stakeBet.typedStakeActive && fieldBet.fieldChosen && stakeCovered(stakeBet.typedStake)) playerSpin();
    for (int chip = 0; chip < chipCount; chip++) {
        if (stakeBet.chipActive[chip] && fieldBet.fieldChosen && stakeCovered(chipAmount[chip])) playerSpin();
    }
}

void croupierTimer() {
    if (!(svc::timerSeconds() > spinDeadline)) return;
    if (betReady()) {
        setNextDeadline();
        return;
    }
    clearRound();
    drawPanel(secondStatusLine);
    drawPanel(firstStatusLine);
    drawPanel(stakeLine);
    printFirstStatus("Rien ne va plus!     ");
    printSecondStatus("Nichts geht mehr!     ");
    printGradient("Einsatz: ", stakeLabelText, greenScheme);
    startBall();
    resetRound();
    setNextDeadline();
}

}  // namespace game
