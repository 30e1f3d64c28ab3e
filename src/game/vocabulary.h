#pragma once
// The game's words for its numbers: field indices, chips and stakes, what a
// corner or six-line covers, the tasks, the screens and their panels.
#include <cstdint>

namespace game {

// Field indices -----------------------------------------------------------
// A field index is the place of a region in "Button.txt": 0..83 the betting
// fields, 84..86 the chips.

constexpr int fieldCount = 87;
constexpr int betFieldCount = 84;

struct FieldRange {
    int first, last;  // inclusive
};

constexpr bool inRange(int field, FieldRange range) {
    return field >= range.first && field <= range.last;
}

constexpr FieldRange numberFields{0, 36};  // the field index is the number
constexpr FieldRange evenMoneyFields{37, 42};
constexpr FieldRange dozenFields{43, 45};
constexpr FieldRange columnFields{46, 48};
constexpr FieldRange trioFields{49, 50};
constexpr FieldRange cornerFields{51, 72};   // open once the corners are unlocked
constexpr FieldRange sixLineFields{73, 83};  // open in money mode
constexpr FieldRange chipFields{84, 86};

constexpr int lowHalfField = 37;  // 1-18
constexpr int evenField = 38;
constexpr int redField = 39;
constexpr int blackField = 40;
constexpr int oddField = 41;
constexpr int highHalfField = 42;  // 19-36
constexpr int firstDozenField = 43;
constexpr int secondDozenField = 44;
constexpr int thirdDozenField = 45;
constexpr int firstColumnField = 46;
constexpr int secondColumnField = 47;
constexpr int thirdColumnField = 48;
constexpr int trio012Field = 49;
constexpr int trio023Field = 50;

// The numbers of a corner, `which` 0..3, lowest first: corner 51 + k is the
// square a, a+1, a+3, a+4 of the three-column table, a = 3 (k div 2) + (k mod 2) + 1.
constexpr int cornerNumber(int field, int which) {
    const int k = field - cornerFields.first;
    constexpr int offsets[4] = {0, 1, 3, 4};
    return 3 * (k / 2) + k % 2 + 1 + offsets[which];
}

// Six-line 73 + k covers the two rows 3k+1 to 3k+6.
constexpr int sixLineFirst(int field) {
    return 3 * (field - sixLineFields.first) + 1;
}
constexpr int sixLineLast(int field) {
    return sixLineFirst(field) + 5;
}

// Chips and stakes --------------------------------------------------------

constexpr int chipCount = 3;
// Chip indices: field index chipFields.first + chip.
constexpr int chip25 = 0;
constexpr int chip50 = 1;
constexpr int chip100 = 2;
constexpr int chipAmount[chipCount] = {25, 50, 100};  // Euro

constexpr int chipOfField(int field) {
    return field - chipFields.first;
}

// The chip pictures are 32 pixels square around these centres; the ring that
// marks the chosen chip has radius 18.
constexpr int chipCentreX[chipCount] = {26, 66, 106};
constexpr int chipCentreY = 496;
constexpr int chipPictureSize = 32;
constexpr int chipRingRadius = 18;

// What the stake entry accepts. A balance below the smallest stake has run out.
constexpr int stakeMin = 25;
constexpr int stakeMax = 1000;

// Tasks -----------------------------------------------------------------------

constexpr int taskCount = 14;

// A task's number in the catalogue, 1..14, as the task file orders them.
enum TaskId {
    zeroTask = 1,          // win on the 0; opens the 100 chip
    winsInARowTask = 2,    // 5 wins in a row
    columnTask = 3,        // 3 wins on a column
    tenWinsTask = 4,       // 10 wins
    fiftyWinsTask = 5,     // 50 wins
    redTask = 6,           // 5 wins on red
    hundredStakeTask = 7,  // 3 wins with a stake of 100
    cornerTask = 8,        // a win on a corner
    trioTask = 9,          // a win on 0, 1 and 2
    evenTask = 10,         // 3 wins on even
    highHalfTask = 11,     // 2 wins on 19-36
    bigWinTask = 12,       // 3600 Euro in one win
    streakTask = 13,       // 7 days in a row; opens the corners
    nightTask = 14,        // a start on a weekday from 3:00 to 4:59
};

// The code each task stores once it is completed (the column task already
// with its first counted win), 0 where a task has none. The secrets at table
// start and the final reward accept exactly these.
// clang-format off
constexpr std::int32_t taskCheckValue[taskCount + 1] = {
    0,                                   // no task 0
    27406159, 0, 6148, 0, 0, 0, 0,       // tasks 1 to 7
    3027, 4591, 0, 0, 1836, 638, 26953,  // tasks 8 to 14
};
// clang-format on

// Screens and panels ------------------------------------------------------

constexpr int statisticsWidth = 640;
constexpr int statisticsHeight = 420;
constexpr int tableWidth = 930;
constexpr int tableHeight = 647;

struct Rect {
    int left, top, right, bottom;  // pixels, inclusive
};

constexpr bool contains(Rect r, int x, int y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// A text cell, counted from 1: row r, column c starts at pixel (8c - 8, 8r - 8).
struct TextCell {
    int row, column;
};

// The table screen: two status lines, the stake line, the balance line and
// the start button, with the cells their texts start at.
constexpr Rect firstStatusLine{27, 420, 296, 439};  // chips, stakes, limits
constexpr TextCell firstStatusText{54, 5};
constexpr Rect secondStatusLine{27, 450, 296, 469};  // the chosen field
constexpr TextCell secondStatusText{58, 5};
constexpr Rect stakeLine{139, 483, 296, 502};
constexpr TextCell stakeLabelText{62, 19};
constexpr TextCell stakeTypingText{62, 28};
constexpr Rect balanceLine{27, 545, 296, 564};  // money mode only
constexpr TextCell balanceText{70, 5};
constexpr Rect startButton{27, 580, 138, 630};

// The statistics screen's panel that opens the table.
constexpr Rect playButton{200, 300, 400, 400};

}  // namespace game
