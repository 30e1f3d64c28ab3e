// Chips, the typed stake and its limits, and the start button's stake tests.
#include <optional>
#include <string>

#include "screen.h"
#include "table_fixture.h"
#include "test_state.h"

namespace {

using namespace tablefix;

const std::string chipMessage[3] = {"Sie haben 25 Euro               ", "Sie haben 50 Euro               ",
                                    "Sie haben 100 Euro              "};
const std::string limits = "Limits: Min = 25 Max = 1000";
constexpr int startX = 80, startY = 605;
constexpr int stakeLineX = 200, stakeLineY = 492;

class StakeTest : public TableTest {
protected:
    // Pixels on the radius-18 ring of chip 0, 1 or 2 (its left and right ends).
    static std::uint32_t ring(const Frame& f, int chip) {
        const int cx = 26 + 40 * chip;
        return f.at(cx - 18, 496) == f.at(cx + 18, 496) ? f.at(cx - 18, 496) : 0x123456;
    }

    // Clicks the stake line and types a line; without `enterAfter` the entry
    // is left waiting, and the script stops shortly after the typing.
    void typeStake(const std::string& text, bool enter = true) {
        const double t = scripted::now();
        scripted::keyAt(t + 0.05, text);
        if (enter) {
            scripted::keyAt(t + 0.1, "\r");
        } else {
            scripted::stopAt(t + 0.3);
        }
        try {
            game::stakeEntry();
        } catch (const scripted::ScriptEnded&) {
            return;
        }
        EXPECT_EQ(svc::lockCount(), 0) << "the entry leaves the screen's lock to the table pass";
    }

    // Types a value that is refused: the entry waits for the next line.
    void typeRefused(const std::string& text) {
        const double t = scripted::now();
        scripted::keyAt(t + 0.05, text + "\r");
        scripted::stopAt(t + 0.5);
        EXPECT_THROW(game::stakeEntry(), scripted::ScriptEnded);
    }

    // The start button pressed; whether the program ended in the settlement.
    bool pressStart() {
        try {
            game::startButtonTest(leftAt(startX, startY));
        } catch (const scripted::ProgramEnded& e) {
            EXPECT_EQ(e.status, 0);
            return true;
        }
        return false;
    }
};

TEST_F(StakeTest, ChipsOpenByBalanceAndUnlock) {
    const struct {
        int money;  // moneyMode
        std::uint64_t balance;
        int unlocked;  // chip100Unlocked
        int field;
        bool open;
    } cases[] = {
        {1, 40, 0, 84, true},
        {1, 40, 0, 85, false},
        {1, 25, 0, 84, true},
        {1, 24, 0, 84, false},
        {1, 49, 1, 85, false},
        {1, 50, 1, 85, true},
        {1, 100, 1, 86, true},
        {1, 99, 1, 86, false},
        {1, 1000, 0, 86, false},
        {0, game::practiceBankroll, 0, 84, true},
        {0, game::practiceBankroll, 0, 85, true},
        {0, game::practiceBankroll, 0, 86, false},
        {0, game::practiceBankroll, 1, 86, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "balance " << c.balance << " field " << c.field);
        writable(game::moneyMode) = c.money;
        writable(game::player).balance = c.balance;
        writable(game::chip100Unlocked) = c.unlocked;
        game::resetRound();
        const Frame before = buffer();
        game::selectChip(c.field);
        const Frame after = buffer();
        const int chip = c.field - 84;
        const int* const flags = game::stakeBet.chipActive;
        if (!c.open) {
            EXPECT_EQ(game::stakeBet.stake, 0);
            EXPECT_EQ(flags[0] + flags[1] + flags[2], 0);
            EXPECT_TRUE(before.px == after.px) << "a closed chip must not draw";
            continue;
        }
        EXPECT_EQ(game::stakeBet.stake, chip == 0 ? 25 : chip == 1 ? 50 : 100);
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(flags[i], i == chip) << i;
            EXPECT_EQ(ring(after, i), i == chip ? white : 0u) << i;
        }
        EXPECT_EQ(after.text(54, 5, 32, cyan), chipMessage[chip]);
    }
}

TEST_F(StakeTest, AnotherChipTakesTheRingAndTheStake) {
    game::selectChip(84);
    game::selectChip(85);
    const Frame f = buffer();
    EXPECT_EQ(ring(f, 0), 0u);
    EXPECT_EQ(ring(f, 1), white);
    EXPECT_EQ(game::stakeBet.stake, 50);
    EXPECT_EQ(game::stakeBet.chipActive[game::chip25], 0);
    EXPECT_EQ(game::stakeBet.chipActive[game::chip50], 1);
    EXPECT_EQ(f.text(54, 5, 32, cyan), chipMessage[1]);
}

TEST_F(StakeTest, StakeLineDoesNothingWithoutMoneyMode) {
    scripted::keyAt(scripted::now() + 0.05, "500\r");
    const Frame before = buffer();
    EXPECT_TRUE(game::onStakeLine(leftAt(stakeLineX, stakeLineY)));
    game::stakeEntry();
    EXPECT_TRUE(before.px == buffer().px);
    EXPECT_EQ(game::stakeBet.typedStakeActive, 0);
    EXPECT_EQ(game::stakeBet.stake, 0);
}

TEST_F(StakeTest, TypedAmountsAgainstTheLimits) {
    constexpr int unchecked = -999;
    const struct {
        std::string typed;
        int value;
        bool accepted;
    } cases[] = {
        {"24", 24, false},
        {"1001", 1001, false},
        {"25", 25, true},
        {"1000", 1000, true},
        {"", 0, false},
        {"-25", -25, false},
        {"abc", 0, false},
        {"  500", 500, true},
        {"24.5", 24, false},
        {"1000.5", 1000, true},
        // Far beyond 32 bits must not come round into the limits.
        {"4294967321", unchecked, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("typed '" + c.typed + "'");
        playForMoney(5000);
        game::resetRound();
        if (c.accepted) {
            typeStake(c.typed);
            EXPECT_EQ(game::stakeBet.stake, c.value);
            EXPECT_EQ(game::stakeBet.typedStakeActive, 1);
            EXPECT_EQ(buffer().text(54, 5, 32, cyan), "Sie haben " + std::to_string(c.value) + " Euro" +
                                                          std::string(32 - 15 - std::to_string(c.value).size(), ' '));
        } else {
            typeRefused(c.typed);
            EXPECT_EQ(game::stakeBet.stake, 0);
            EXPECT_EQ(game::stakeBet.typedStakeActive, 0);
            const Frame f = buffer();
            EXPECT_EQ(f.text(54, 5, 32, cyan), limits + "     ");
            EXPECT_EQ(f.text(62, 19, 9, green), "Einsatz: ");
            // The refused text is wiped; the entry waits at column 28 again.
            EXPECT_EQ(f.text(62, 29, 4, plainWhite), "    ");
        }
        if (c.value != unchecked) {
            EXPECT_EQ(game::stakeBet.typedStake, c.value);
        }
    }
}

// The close button during the entry ends the program at once, whatever was
// typed or refused before; the stake stays as it was.
TEST_F(StakeTest, ClosingTheWindowDuringTheEntryEndsTheProgram) {
    for (const char* before : {"", "500", "24\r"}) {
        SCOPED_TRACE(std::string("typed '") + before + "'");
        reopenTable();  // the last end closed the window
        playForMoney(5000);
        const double t = scripted::now();
        if (before[0] != '\0') scripted::keyAt(t + 0.05, before);
        scripted::closeAt(t + 0.2);
        scripted::stopAt(t + 5);
        try {
            game::stakeEntry();
            ADD_FAILURE() << "the entry returned";
        } catch (const scripted::ProgramEnded& e) {
            EXPECT_EQ(e.status, 0);
            EXPECT_NEAR(scripted::now(), t + 0.2, 0.05);
        } catch (const scripted::ScriptEnded&) {
            ADD_FAILURE() << "the entry went on waiting";
        }
        scripted::stopAt(-1);
        EXPECT_EQ(game::stakeBet.stake, 0);
        EXPECT_EQ(game::stakeBet.typedStakeActive, 0);
    }
}

TEST_F(StakeTest, LimitsShownAndTypingEchoedInPlainWhite) {
    playForMoney(5000);
    typeStake("1000", false);
    const Frame f = buffer();
    EXPECT_EQ(f.text(54, 5, 32, cyan), limits + "     ");
    EXPECT_EQ(f.text(62, 19, 9, green), "Einsatz: ");
    EXPECT_EQ(f.text(62, 28, 4, plainWhite), "1000");
}

TEST_F(StakeTest, AcceptedAmountClearsTheChips) {
    playForMoney(5000);
    game::selectChip(85);
    typeStake("300");
    const Frame f = buffer();
    EXPECT_EQ(game::stakeBet.stake, 300);
    EXPECT_EQ(game::stakeBet.chipActive[game::chip50], 0);
    for (int chip = 0; chip < 3; chip++) EXPECT_EQ(ring(f, chip), 0u) << chip;
    // A chip after a typed amount takes over the stake, the typed flag stays.
    game::selectChip(84);
    EXPECT_EQ(game::stakeBet.stake, 25);
    EXPECT_EQ(game::stakeBet.typedStakeActive, 1);
    EXPECT_EQ(buffer().text(62, 28, 4, plainWhite), "    ");
}

TEST_F(StakeTest, StartNeedsAFieldAStakeAndTheMoneyForIt) {
    const struct {
        const char* name;
        std::uint64_t balance;
        std::optional<std::string> typed;
        int chip;  // 84..86, or 0
        bool field;
        bool spins;
    } cases[] = {
        {"typed 1000, balance 500", 500, "1000", 0, true, false},
        {"typed 1000, balance 999", 999, "1000", 0, true, false},
        {"typed 1000, balance 1000", 1000, "1000", 0, true, true},
        {"typed 500, balance 500", 500, "500", 0, true, true},
        {"chip 25, balance 25", 25, std::nullopt, 84, true, true},
        {"chip without a field", 5000, std::nullopt, 84, false, false},
        {"typed without a field", 5000, "100", 0, false, false},
        {"field without a stake", 5000, std::nullopt, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reopenTable();
        playForMoney(c.balance);
        const std::size_t boxes = scripted::boxes().size();
        if (c.field) {
            ASSERT_GT(holdOn(17), 0);
        }
        if (c.typed) typeStake(*c.typed);
        if (c.chip) game::selectChip(c.chip);
        const game::FieldBet fieldBefore = game::fieldBet;
        const game::StakeBet stakeBefore = game::stakeBet;
        const bool ended = pressStart();
        if (!c.spins) {
            EXPECT_FALSE(ended);
            EXPECT_EQ(scripted::boxes().size(), boxes);
            EXPECT_EQ(game::fieldBet.fieldChosen, fieldBefore.fieldChosen);
            EXPECT_EQ(game::stakeBet.stake, stakeBefore.stake);
            EXPECT_EQ(game::player.balance, c.balance);
            continue;
        }
        ASSERT_GT(scripted::boxes().size(), boxes);
        EXPECT_EQ(scripted::boxes()[boxes].text.rfind("Ihr Gewinn ist: ", 0), 0u);
        if (!ended) {
            EXPECT_EQ(game::fieldBet.fieldChosen, 0);
            EXPECT_EQ(game::stakeBet.stake, 0);
        }
    }
}

TEST_F(StakeTest, ChipAfterTypedAmountPlaysTheChip) {
    // 500 typed but only 100 on the table: the 25 chip chosen later plays.
    playForMoney(100);
    ASSERT_GT(holdOn(17), 0);
    typeStake("500");
    game::selectChip(84);
    pressStart();
    ASSERT_EQ(scripted::boxes().size(), 1u);
    const std::string& text = scripted::boxes()[0].text;
    if (text == "Ihr Gewinn ist: 900 \x80") {
        EXPECT_EQ(game::player.balance, 1000u);
    } else {
        EXPECT_EQ(text, "Ihr Gewinn ist: 0 \x80");
        EXPECT_EQ(game::player.balance, 75u);
    }
}

}  // namespace
