// The statistics screen as the player sees it at the start of a run: open
// tasks with their marks and counters, the two counters and the balance.
#include <gtest/gtest.h>

#include <string>

#include "game_fixture.h"
#include "screen_reader.h"

namespace {

using gamefix::Table;
using screenreader::rowText;
using screenreader::textAt;

// Code page 437: 0x94 ö, 0x84 ä, 0xE1 ß.
const char* const titles[15] = {
    "",
    "Setze auf die 0 und gewinne 1 Spiel:",
    "Gewinne 5 Spiele in Folge:",
    "Setze auf eine der 3 Kolonnen und gewinne 3 Spiele:",
    "Gewinne 10 Roulettespiele:",
    "Gewinne 50 Roulettespiele:",
    "Setze auf Rot und gewinne 5 Spiele:",
    "Gewinne 3 Spiele mit einem Einsatz von 100 Euro:",
    "Setze auf 4 benachbarte Zahlen und gewinne 1 Spiel:",
    "Setze auf die Zahlen 0, 1 und 2 und gewinne 1 Spiel:",
    "Setze auf gerade Zahlen und gewinne 3 Spiele:",
    "Setze auf gro\xE1"
    "e H\x84lfte und gewinne 2 Spiele:",
    "Gewinne auf einen Schlag 3600 Euro:",
    "Spiele 7 Tage lang mindestens 1x Roulette:",
    "Spiele 1x unter der Woche zwischen 3 Uhr und 4 Uhr:",
};

// A row as text: title from column 2 (or none), mark at 55, counter at 70.
std::string taskRow(const std::string& title, const std::string& counter) {
    std::string row = " " + title;
    if (counter.empty()) return row;
    row.resize(54, ' ');
    row += "X";
    row.resize(69, ' ');
    return row + counter;
}

// Runs the program up to its statistics screen.
void showStatistics() {
    const sandbox::RunEnd end = sandbox::runGame(1.0);
    ASSERT_FALSE(end.programEnded);
    ASSERT_EQ(scripted::windowWidth(), 640);
    ASSERT_EQ(scripted::windowHeight(), 420);
}

void expectEmptyRows(std::initializer_list<int> rows) {
    for (int r : rows) EXPECT_EQ(rowText(r), "") << "row " << r;
}

// The lit pixels of each pixel row of a text: white on top, then the middle
// and bottom colour of its scheme, where the glyphs have pixels at all.
void expectScheme(int row, int column, const std::string& text, std::uint32_t middle, std::uint32_t bottom) {
    for (int k = 0; k < 8; k++) {
        bool lit = false;
        for (unsigned char c : text) lit = lit || screenreader::font()[c][k] != 0;
        const std::uint32_t want = !lit ? 0 : k < 2 ? 0xFFFFFF : k < 5 ? middle : bottom;
        EXPECT_EQ(screenreader::bandColour(row, column, static_cast<int>(text.size()), k), want)
            << "row " << row << ", column " << column << ", pixel row " << k;
    }
}

const std::uint32_t cyan = 0x55FFFF, darkCyan = 0x00AAAA, red = 0xFF5555, darkRed = 0xAA0000;
const std::uint32_t green = 0x55FF55, darkGreen = 0x00AA00;

TEST(Statistics, NewPlayer) {
    Table t;
    showStatistics();
    const std::string heading = "L\x94se erfolgreich folgende Aufgaben:";
    EXPECT_EQ(rowText(2), std::string(22, ' ') + heading);
    expectScheme(2, 23, heading, cyan, darkCyan);
    for (int i = 1; i <= 14; i++) {
        SCOPED_TRACE("task " + std::to_string(i));
        EXPECT_EQ(rowText(i + 8), taskRow(titles[i], "0"));
        expectScheme(i + 8, 2, titles[i], cyan, darkCyan);
        expectScheme(i + 8, 55, "X", red, darkRed);
        expectScheme(i + 8, 70, "0", cyan, darkCyan);
    }
    EXPECT_EQ(rowText(28), " Anzahl der bisher gewonnenen Spiele: 0");
    EXPECT_EQ(rowText(30), " Anzahl der bisher hintereinander gespielten Tage: 0");
    const std::string money = rowText(34);
    ASSERT_EQ(money.substr(0, 11), " Guthaben: ");
    ASSERT_GE(money.size(), 18u);
    const std::string digits = money.substr(11, money.size() - 16);
    EXPECT_EQ(money.substr(money.size() - 5), " Euro");
    EXPECT_EQ(digits, std::to_string(game::player.balance));
    EXPECT_GE(game::player.balance, 25u);
    EXPECT_LE(game::player.balance, 400u);
    expectScheme(34, 2, money.substr(1), green, darkGreen);
    EXPECT_EQ(textAt(40, 28, 21), "Durch einen Mausklick");
    EXPECT_EQ(textAt(48, 30, 17), "Roulette spielen!");
    expectEmptyRows({1, 3, 4, 5, 6, 7, 8, 23, 24, 25, 26, 27, 29, 31, 32, 33, 35, 36, 37});
}

TEST(Statistics, EveryTaskDone) {
    Table t;
    t.writePlayerFile("Login.dat", "12-01-2026\r\n");
    t.writePlayerFile("Login2.dat", "12-06-2026\r\n");
    t.writePlayerFile("Secrets.dat", gamefix::allDoneSecrets);
    t.writePlayerFile("Geldbeutel.dat", "1234\r\n");
    showStatistics();
    for (int row = 9; row <= 22; row++) EXPECT_EQ(rowText(row), "") << "row " << row;
    EXPECT_EQ(rowText(28), " Anzahl der bisher gewonnenen Spiele: 50");
    EXPECT_EQ(rowText(30), " Anzahl der bisher hintereinander gespielten Tage: 7");
    EXPECT_EQ(rowText(34), " Guthaben: 1234 Euro");
}

TEST(Statistics, SomeTasksOpen) {
    Table t;
    t.writePlayerFile("Login.dat", "12-07-2026\r\n");
    t.writePlayerFile("Login2.dat", "12-07-2026\r\n");
    // Task 4 open at 12 while task 5 holds 13; task 13 at -3; task 9 with a
    // done flag of 2 is neither open (no title) nor done (mark and counter).
    t.writePlayerFile("Secrets.dat",
                      " 1             0             27406159\r\n"
                      " 1             0             0\r\n"
                      " 0             2             6148\r\n"
                      " 0             12            0\r\n"
                      " 0             13            0\r\n"
                      " 1             5             0\r\n"
                      " 0             1             0\r\n"
                      " 1             0             3027\r\n"
                      " 2             4             4591\r\n"
                      " 1             3             0\r\n"
                      " 1             2             0\r\n"
                      " 1             0             1836\r\n"
                      " 0            -3             0\r\n"
                      " 0             0             0\r\n");
    // Shown here, though the table will play with the practice bankroll.
    t.writePlayerFile("Geldbeutel.dat", "300\r\n");
    showStatistics();
    const struct {
        int task;
        const char* title;
        const char* counter;  // "" for a completed task
    } rows[] = {
        {1, "", ""},
        {2, "", ""},
        {3, titles[3], "2"},
        {4, titles[4], "12"},
        {5, titles[5], "13"},
        {6, "", ""},
        {7, titles[7], "1"},
        {8, "", ""},
        {9, "", "4"},
        {10, "", ""},
        {11, "", ""},
        {12, "", ""},
        {13, titles[13], "-3"},
        {14, titles[14], "0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE("task " + std::to_string(r.task));
        const std::string want = taskRow(r.title, r.counter);
        EXPECT_EQ(rowText(r.task + 8), want == " " ? "" : want);
    }
    EXPECT_EQ(rowText(28), " Anzahl der bisher gewonnenen Spiele: 13");
    EXPECT_EQ(rowText(30), " Anzahl der bisher hintereinander gespielten Tage: -3");
    EXPECT_EQ(rowText(34), " Guthaben: 300 Euro");
}

// A wallet without a positive amount counts as none: the start money shows.
TEST(Statistics, WalletWithoutAmountShowsTheStartMoney) {
    std::string startMoney;
    for (const char* wallet : {"", "0\r\n", "-5\r\n", "12\r\n"}) {
        SCOPED_TRACE(wallet);
        Table t;
        if (*wallet) t.writePlayerFile("Geldbeutel.dat", wallet);
        showStatistics();
        const std::string shown = rowText(34);
        if (std::string(wallet) == "12\r\n") {
            EXPECT_EQ(shown, " Guthaben: 12 Euro");
        } else if (startMoney.empty()) {
            startMoney = shown;  // the same clock draws the same money
            EXPECT_EQ(shown, " Guthaben: " + std::to_string(game::player.balance) + " Euro");
        } else {
            EXPECT_EQ(shown, startMoney);
        }
    }
}

// A broken streak still shows the length the last settled game saved.
TEST(Statistics, BrokenStreakShowsTheSavedLength) {
    Table t;
    t.writePlayerFile("Login.dat", "11-20-2026\r\n");
    t.writePlayerFile("Login2.dat", "12-01-2026\r\n");
    std::string tasks;
    for (int i = 1; i <= 12; i++) tasks += " 0             0             0\r\n";
    t.writePlayerFile("Secrets.dat", tasks + " 0             11            0\r\n");
    showStatistics();
    EXPECT_EQ(rowText(30), " Anzahl der bisher hintereinander gespielten Tage: 11");
    EXPECT_EQ(t.playerFile("Login.dat"), "12-07-2026\r\n");
}

}  // namespace
