#pragma once
// A table in a sandbox for settling rounds directly: the game's run state
// cleared, the table screen open, and helpers to place a bet, settle it and
// collect the message boxes it showed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fields.h"
#include "flow.h"
#include "host.h"
#include "player.h"
#include "records.h"
#include "sandbox.h"
#include "screen.h"
#include "scripted.h"
#include "settlement.h"
#include "stakes.h"
#include "test_state.h"
#include "wheel.h"

namespace gamefix {

// The euro sign of the message boxes (Windows-1252).
inline const std::string euro = "\x80";

inline std::string winText(int amount) {
    return "Ihr Gewinn ist: " + std::to_string(amount) + " " + euro;
}

inline const std::string lowMoneyText =
    "Sie haben leider zu wenig Geld!\r\nMit einem Neustart, holen sie sich neues Geld von der Bank!";

// What game::run clears before every run, so that tests do not leak state.
inline void clearGame() {
    game::resetRunState();
}

// Puts the sandbox that follows it in memory: every settlement syncs four
// files to disk, and thousands of them would otherwise take minutes.
class InMemory {
public:
    InMemory() {
        const char* old = std::getenv(host::tempVariable());
        hadOld_ = old != nullptr;
        if (hadOld_) old_ = old;
        std::error_code ec;
        if (std::filesystem::is_directory(host::memoryDirectory(), ec)) {
            host::setEnvironment(host::tempVariable(), host::memoryDirectory());
        }
    }
    void restore() const { host::setEnvironment(host::tempVariable(), hadOld_ ? old_.c_str() : nullptr); }

private:
    bool hadOld_ = false;
    std::string old_;
};

struct Outcome {
    std::vector<std::string> boxes;    // texts, in the order shown
    std::vector<scripted::Box> shown;  // the same boxes, with the files on disk then
    bool ended = false;                // the program ended in the settlement
    int status = -1;
};

class Table {
public:
    explicit Table(int year = 2026, int month = 12, int day = 7, int hour = 12, int minute = 0, int second = 0) {
        inMemory_.restore();
        scripted::setLocalTime(year, month, day, hour, minute, second);
        clearGame();
        game::takeFileNumber();
        svc::setScreenMode(930, 647, 32);
    }

    std::filesystem::path player(const std::string& name) const { return box_.playerDir() / name; }
    std::filesystem::path here(const std::string& name) const { return box_.dir() / name; }
    // What is on disk now: files the game deleted are gone once its files are closed.
    static void flush() { svc::closeAllFiles(); }
    std::string playerFile(const std::string& name) const {
        flush();
        return sandbox::readFile(player(name));
    }
    std::string hereFile(const std::string& name) const {
        flush();
        return sandbox::readFile(here(name));
    }
    bool hasPlayerFile(const std::string& name) const {
        flush();
        return sandbox::exists(player(name));
    }
    bool hasHere(const std::string& name) const {
        flush();
        return sandbox::exists(here(name));
    }
    // Every file of the player directory and of the current directory, as a
    // box records them.
    scripted::Files playerFiles() const { return filesIn(box_.playerDir()); }
    scripted::Files currentFiles() const { return filesIn(box_.dir()); }
    void writePlayerFile(const std::string& name, const std::string& bytes) const {
        sandbox::writeFile(player(name), bytes);
    }

    // A start of the program as far as the player's state goes: its files read
    // with `startMoney` drawn before, and the table's flags derived.
    void start(std::uint64_t startMoney = 100, bool openTable = true) {
        clearGame();
        writable(game::player).balance = startMoney;
        game::loadPlayerState();
        if (openTable) game::deriveTableFlags();
    }

    // Places a bet on `field` with `stake` Euro (a chip for 25, 50 and 100,
    // a typed stake otherwise), lets the ball stop on `number` and settles.
    Outcome settle(int field, int stake, int number) {
        game::chooseField(field);
        const int chip = stake == 25 ? game::chip25 : stake == 50 ? game::chip50 : stake == 100 ? game::chip100 : -1;
        if (chip >= 0) {
            game::stakeChip(chip);
        } else {
            writable(game::stakeBet).typedStake = stake;
            game::stakeTyped();
        }
        writable(game::winningNumber) = number;
        const std::size_t before = scripted::boxes().size();
        Outcome out;
        try {
            game::settleRound();
        } catch (const scripted::ProgramEnded& e) {
            out.ended = true;
            out.status = e.status;
        }
        const auto& boxes = scripted::boxes();
        for (std::size_t i = before; i < boxes.size(); i++) {
            EXPECT_EQ(boxes[i].caption, "Rotandor");
            out.boxes.push_back(boxes[i].text);
            out.shown.push_back(boxes[i]);
        }
        return out;
    }

private:
    static scripted::Files filesIn(const std::filesystem::path& dir) {
        flush();
        return scripted::filesIn(dir.string());
    }

    InMemory inMemory_;
    sandbox::Sandbox box_;
};

// A file's bytes as a box found them; nothing when it was missing.
inline std::optional<std::string> file(const scripted::Files& files, const std::string& name) {
    const auto it = files.find(name);
    if (it == files.end()) return std::nullopt;
    return it->second;
}

// Line n (from 1) of a text with CR LF line ends, its line end included.
inline std::string line(const std::string& text, int n) {
    std::size_t begin = 0;
    for (int i = 1; i < n && begin != std::string::npos; i++) {
        begin = text.find("\r\n", begin);
        if (begin != std::string::npos) begin += 2;
    }
    if (begin == std::string::npos || begin >= text.size()) return "";
    const std::size_t end = text.find("\r\n", begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end + 2 - begin);
}

// Every task done with its check value: no task message comes any more.
inline const char* const allDoneSecrets =
    " 1             0             27406159\r\n"
    " 1             0             0\r\n"
    " 1             3             6148\r\n"
    " 1             10            0\r\n"
    " 1             50            0\r\n"
    " 1             5             0\r\n"
    " 1             3             0\r\n"
    " 1             0             3027\r\n"
    " 1             0             4591\r\n"
    " 1             3             0\r\n"
    " 1             2             0\r\n"
    " 1             0             1836\r\n"
    " 1             7             638\r\n"
    " 1             0             26953\r\n";

// Sets the task tables in memory: done flags and codes as a finished player.
inline void allTasksDone() {
    static const std::int32_t codes[15] = {0, 27406159, 0, 6148, 0, 0, 0, 0, 3027, 4591, 0, 0, 1836, 638, 26953};
    for (int i = 1; i <= game::taskCount; i++) {
        writable(game::player).taskDone[i] = 1;
        writable(game::player).taskCode[i] = codes[i];
    }
}

}  // namespace gamefix
