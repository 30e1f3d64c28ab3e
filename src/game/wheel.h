#pragma once
// The wheel: the ball stepped from pocket to pocket until it stops on the
// winning number, the start button and the croupier's own spins. wheel.cpp
// alone writes the ball, the winning number and the croupier's deadline.
#include "input.h"

namespace game {

// The number in each pocket, counter-clockwise from the zero at the top.
constexpr int wheelOrder[37] = {0,  26, 3, 35, 12, 28, 7,  29, 18, 22, 9,  31, 14, 20, 1, 33, 16, 24, 5,
                                10, 23, 8, 30, 11, 36, 13, 27, 6,  34, 17, 25, 2,  21, 4, 19, 15, 32};
constexpr int orbitX = 641;
constexpr int orbitY = 319;
constexpr int orbitRadius = 184;

struct Ball {
    int ballPocket = 0;
    int firstSpinPending = 0;
    int ballX = 0, ballY = 0;  // 0: no ball drawn yet
    float spinSpeed = 0;       // steps still to go
    int stepDelay = 0;         // milliseconds after the current step
};

extern const Ball& ball;
// 0..36 from the end of a spin until the round is cleared; -1 otherwise.
extern const int& winningNumber;
// Timer seconds at which the croupier spins by himself.
extern const double& spinDeadline;

// A new run: no ball drawn yet.
void resetWheel();
// The round's reset: no winning number.
void clearWinningNumber();
// The table opens: the first spin starts from a random pocket.
void initWheel();
// Centre of the ball resting in a pocket.
int pocketX(int pocket);
int pocketY(int pocket);
void startBall();
// Seconds from now until the croupier's next spin: 10 to 60 whole seconds.
void setNextDeadline();
void setFirstDeadline();
// With the left button alone on the start button: spins for the ready bet.
void startButtonTest(const svc::Mouse& mouse);
void croupierTimer();

}  // namespace game
