// Betting fields: the layout file, the one-region-per-pass hit test, the
// field messages and what choosing a field does to the round's bet.
#include <filesystem>
#include <string>

#include "input.h"
#include "table_fixture.h"
#include "test_state.h"

namespace {

using namespace tablefix;
namespace fs = std::filesystem;

// The messages of fields 37..83, as the table's catalogue lists them.
const char* const catalogue[] = {
    "auf die Zahlen von 1-18 gesetzt ", "auf gerade Zahlen gesetzt       ", "auf rot gesetzt                 ",
    "auf schwarz gesetzt             ", "auf ungerade Zahlen gesetzt     ", "auf die Zahlen von 19-36 gesetzt",
    "auf 1st 12 Zahlen gesetzt       ", "auf 2nd 12 Zahlen gesetzt       ", "auf 3rd 12 Zahlen gesetzt       ",
    "auf 1. Kollonne gesetzt         ", "auf 2. Kollonne gesetzt         ", "auf 3. Kollonne gesetzt         ",
    "auf die 0, 1 & 2 gesetzt        ", "auf die 0, 2 & 3 gesetzt        ", "auf die 1, 2, 4 & 5 gesetzt     ",
    "auf die 2, 3, 5 & 6 gesetzt     ", "auf die 4, 5, 7 & 8 gesetzt     ", "auf die 5, 6, 8 & 9 gesetzt     ",
    "auf die 7, 8, 10 & 11 gesetzt   ", "auf die 8, 9, 11 & 12 gesetzt   ", "auf die 10, 11, 13 & 14 gesetzt ",
    "auf die 11, 12, 14 & 15 gesetzt ", "auf die 13, 14, 16 & 17 gesetzt ", "auf die 14, 15, 17 & 18 gesetzt ",
    "auf die 16, 17, 19 & 20 gesetzt ", "auf die 17, 18, 20 & 21 gesetzt ", "auf die 19, 20, 22 & 23 gesetzt ",
    "auf die 20, 21, 23 & 24 gesetzt ", "auf die 22, 23, 25 & 26 gesetzt ", "auf die 23, 24, 26 & 27 gesetzt ",
    "auf die 25, 26, 28 & 29 gesetzt ", "auf die 26, 27, 29 & 30 gesetzt ", "auf die 28, 29, 31 & 32 gesetzt ",
    "auf die 29, 30, 32 & 33 gesetzt ", "auf die 31, 32, 34 & 35 gesetzt ", "auf die 32, 33, 35 & 36 gesetzt ",
    "auf die Zahlen 1-6 gesetzt      ", "auf die Zahlen 4-9 gesetzt      ", "auf die Zahlen 7-12 gesetzt     ",
    "auf die Zahlen 10-15 gesetzt    ", "auf die Zahlen 13-18 gesetzt    ", "auf die Zahlen 16-21 gesetzt    ",
    "auf die Zahlen 19-24 gesetzt    ", "auf die Zahlen 22-27 gesetzt    ", "auf die Zahlen 25-30 gesetzt    ",
    "auf die Zahlen 28-33 gesetzt    ", "auf die Zahlen 31-36 gesetzt    ",
};
static_assert(std::size(catalogue) == 47);

int marksSet() {
    int n = 0;
    for (int i = 0; i < game::betFieldCount; i++) n += game::fieldBet.betMarks[i] == 1.0;
    return n;
}

TEST(FieldMessageTest, CatalogueMessagesAreThirtyTwoCharacters) {
    for (int field = 37; field <= 83; field++) {
        SCOPED_TRACE(field);
        EXPECT_EQ(game::fieldMessage(field), catalogue[field - 37]);
        EXPECT_EQ(game::fieldMessage(field).size(), 32u);
    }
}

TEST(FieldMessageTest, StraightNumbers) {
    const std::string blanks(15, ' ');
    const struct {
        int number;
        std::string message;
    } cases[] = {
        {0, "auf die 0 gesetzt" + blanks},   {5, "auf die 5 gesetzt" + blanks},   {9, "auf die 9 gesetzt" + blanks},
        {10, "auf die 10 gesetzt" + blanks}, {17, "auf die 17 gesetzt" + blanks}, {36, "auf die 36 gesetzt" + blanks},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(game::fieldMessage(c.number), c.message);
        EXPECT_EQ(game::fieldMessage(c.number).size(), c.number < 10 ? 32u : 33u);
    }
}

class FieldTest : public TableTest {};

TEST_F(FieldTest, EveryRegionIsReachedWithinOneRoundOfPasses) {
    for (int field = 0; field < game::fieldCount; field++) {
        SCOPED_TRACE(field);
        // Just tested: the cursor must come all the way round.
        writable(game::regionCursor) = field;
        EXPECT_EQ(holdOn(field), 87);
        writable(game::regionCursor) = field == 0 ? 86 : field - 1;
        EXPECT_EQ(holdOn(field), 1);
    }
}

TEST_F(FieldTest, LayoutLeavesTheCursorToWrapToTheFirstRegion) {
    EXPECT_EQ(game::regionCursor, 87);
    EXPECT_EQ(holdOn(0), 1);
}

TEST_F(FieldTest, RegionEdgesCountAndOneMoreDoesNot) {
    writable(game::moneyMode) = 1;
    writable(game::cornersUnlocked) = 1;
    for (int field = 0; field < game::fieldCount; field++) {
        SCOPED_TRACE(field);
        const Rect& r = layout[field];
        const struct {
            int x, y;
            bool hit;
        } points[] = {
            {r.xLeft, r.yTop, true},     {r.xRight, r.yBottom, true},    {r.xLeft, r.yBottom, true},
            {r.xRight, r.yTop, true},    {r.xLeft - 1, r.cy(), false},   {r.xRight + 1, r.cy(), false},
            {r.cx(), r.yTop - 1, false}, {r.cx(), r.yBottom + 1, false},
        };
        for (const auto& p : points) {
            writable(game::regionCursor) = field == 0 ? 86 : field - 1;
            EXPECT_EQ(game::hitTestStep(leftAt(p.x, p.y)), p.hit) << p.x << "," << p.y;
            EXPECT_EQ(game::regionCursor, field);
        }
    }
}

TEST_F(FieldTest, OnlyTheLeftButtonAloneTests) {
    for (int buttons : {0, 2, 3, 4, 5, -1}) {
        SCOPED_TRACE(buttons);
        const int cursor = game::regionCursor;
        for (int pass = 0; pass < 200; pass++) {
            EXPECT_FALSE(game::hitTestStep(svc::Mouse{layout[17].cx(), layout[17].cy(), buttons}));
        }
        EXPECT_EQ(game::regionCursor, cursor);
        EXPECT_EQ(game::fieldBet.fieldChosen, 0);
        EXPECT_EQ(game::fieldBet.chosenField, -1);
    }
}

TEST_F(FieldTest, ChoosingANumberShowsItsMessageInsideThePanel) {
    ASSERT_GT(holdOn(17), 0);
    const Frame f = buffer();
    EXPECT_EQ(f.text(58, 5, 33, cyan), "auf die 17 gesetzt               ");
    // The 33rd cell ends at x = 295; the panel's grey right edge stays.
    for (int y = 450; y <= 469; y++) EXPECT_EQ(f.at(296, y), grey) << y;
    EXPECT_EQ(game::fieldBet.chosenField, 17);
    EXPECT_EQ(game::fieldBet.chosenNumber, 17);
    EXPECT_EQ(game::fieldBet.fieldChosen, 1);
    EXPECT_EQ(game::fieldBet.betMarks[17], 1.0);
    EXPECT_EQ(marksSet(), 1);
}

TEST_F(FieldTest, RedAfterSeventeenKeepsTheNumberButBetsOnRed) {
    ASSERT_GT(holdOn(17), 0);
    ASSERT_GT(holdOn(39), 0);
    EXPECT_EQ(game::fieldBet.chosenField, 39);
    EXPECT_EQ(game::fieldBet.chosenNumber, 17);
    EXPECT_EQ(game::fieldBet.betMarks[39], 1.0);
    EXPECT_EQ(game::fieldBet.betMarks[17], 0.0);
    EXPECT_EQ(marksSet(), 1);
    EXPECT_EQ(buffer().text(58, 5, 33, cyan), "auf rot gesetzt                  ");
}

TEST_F(FieldTest, ClosedFieldsChangeNothingOpenOnesAreChosen) {
    const struct {
        int field;
        int corners, money;
        bool open;
    } cases[] = {
        {51, 0, 0, false}, {72, 0, 1, false}, {73, 1, 0, false}, {83, 1, 0, false},
        {51, 1, 0, true},  {72, 1, 0, true},  {73, 0, 1, true},  {83, 0, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        writable(game::cornersUnlocked) = c.corners;
        writable(game::moneyMode) = c.money;
        ASSERT_GT(holdOn(17), 0);
        const Frame before = buffer();
        ASSERT_GT(holdOn(c.field), 0);
        const Frame after = buffer();
        EXPECT_EQ(game::fieldBet.chosenField, c.open ? c.field : 17);
        EXPECT_EQ(game::fieldBet.chosenNumber, 17);
        EXPECT_EQ(game::fieldBet.betMarks[c.field], c.open ? 1.0 : 0.0);
        EXPECT_EQ(game::fieldBet.betMarks[17], c.open ? 0.0 : 1.0);
        EXPECT_EQ(marksSet(), 1);
        if (c.open) {
            EXPECT_EQ(after.text(58, 5, 32, cyan), catalogue[c.field - 37]);
        } else {
            EXPECT_TRUE(before.px == after.px) << "the screen changed";
        }
    }
}

TEST_F(FieldTest, NumberAfterSixLineInANewRound) {
    writable(game::moneyMode) = 1;
    ASSERT_GT(holdOn(73), 0);
    game::resetRound();
    // The old mark stays until the next choice.
    EXPECT_EQ(game::fieldBet.betMarks[73], 1.0);
    EXPECT_EQ(game::fieldBet.fieldChosen, 0);
    EXPECT_EQ(buffer().text(58, 5, 32, cyan), "Machen sie bitte ihr Spiel!     ");
    ASSERT_GT(holdOn(8), 0);
    EXPECT_EQ(game::fieldBet.betMarks[73], 0.0);
    EXPECT_EQ(game::fieldBet.betMarks[8], 1.0);
    EXPECT_EQ(marksSet(), 1);
}

class LayoutFileTest : public TableTest {
protected:
    void reload() {
        game::resetFields();
        game::loadLayout();
    }
    static bool sameAs(const game::HitRegion& g, const Rect& r) {
        return g.xLeft == r.xLeft && g.xRight == r.xRight && g.yTop == r.yTop && g.yBottom == r.yBottom;
    }
};

TEST_F(LayoutFileTest, MissingHereIsReadFromBesideTheProgram) {
    fs::remove(box.dir() / "Button.txt");
    reload();
    for (int i = 0; i < game::fieldCount; i++) EXPECT_TRUE(sameAs(game::regions[i], layout[i])) << i;
    EXPECT_EQ(game::regionCursor, 87);
}

TEST_F(LayoutFileTest, OneInTheCurrentDirectoryWins) {
    sandbox::writeFile(box.dir() / "Button.txt", "1,2,3,4,0.5\r\n5,6,7,8,0\r\n9,10,11,12,1\r\n");
    reload();
    EXPECT_TRUE(sameAs(game::regions[0], Rect{1, 2, 3, 4}));
    EXPECT_TRUE(sameAs(game::regions[1], Rect{5, 6, 7, 8}));
    EXPECT_TRUE(sameAs(game::regions[2], Rect{9, 10, 11, 12}));
    EXPECT_EQ(game::fieldBet.betMarks[0], 0.5);
    EXPECT_EQ(game::fieldBet.betMarks[2], 1.0);
    // A short file leaves the rest at the single pixel (0, 0).
    for (int i = 3; i < game::fieldCount; i++) EXPECT_TRUE(sameAs(game::regions[i], Rect{0, 0, 0, 0})) << i;
    EXPECT_EQ(game::regionCursor, 3);
}

TEST_F(LayoutFileTest, NoneAnywhereLeavesEveryRegionAtTheOrigin) {
    fs::remove(box.dir() / "Button.txt");
    fs::create_directory(box.dir() / "empty");
    scripted::setProgramDirectory((box.dir() / "empty").string());
    reload();
    for (int i = 0; i < game::fieldCount; i++) EXPECT_TRUE(sameAs(game::regions[i], Rect{0, 0, 0, 0})) << i;
    EXPECT_EQ(game::regionCursor, 0);
    for (int pass = 0; pass < 200; pass++) game::hitTestStep(leftAt(layout[17]));
    EXPECT_EQ(game::fieldBet.fieldChosen, 0);
}

TEST_F(LayoutFileTest, RecordsBeyondTheLastFieldAreNotStored) {
    std::string text;
    for (int i = 0; i < 90; i++) text += std::to_string(i) + "," + std::to_string(i + 1) + ",0,1,0\r\n";
    sandbox::writeFile(box.dir() / "Button.txt", text);
    reload();
    EXPECT_TRUE(sameAs(game::regions[86], Rect{86, 87, 0, 1}));
    // The cursor still runs over 0..86 only.
    EXPECT_TRUE(game::hitTestStep(leftAt(0, 0)));
    EXPECT_EQ(game::regionCursor, 0);
}

TEST_F(LayoutFileTest, DamagedFilesAreReadToTheirEnd) {
    const struct {
        const char* text;
        Rect first;
        int records;
    } cases[] = {
        {"", {0, 0, 0, 0}, 0},
        {"1,2,3", {1, 2, 3, 0}, 1},
        {"1,2,3,4,5,6,7\r\n", {1, 2, 3, 4}, 2},
        // How many records these make is the item reader's business; they end.
        {"abc,def\r\n", {0, 0, 0, 0}, -1},
        {"\r\n\r\n", {0, 0, 0, 0}, -1},
        {"1 2 3 4 0\r\n", {1, 2, 3, 4}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.text)));
        sandbox::writeFile(box.dir() / "Button.txt", c.text);
        reload();
        EXPECT_TRUE(sameAs(game::regions[0], c.first));
        if (c.records >= 0) {
            EXPECT_EQ(game::regionCursor, c.records);
        }
    }
}

}  // namespace
