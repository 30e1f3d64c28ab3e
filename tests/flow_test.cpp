// The program's way from the statistics screen to the table, and its ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sandbox.h"
#include "scripted.h"

namespace {

struct Click {
    int x, y, buttons;
    bool opensTable;
};

TEST(Flow, TheStatisticsPanelOpensTheTableOnlyWithTheLeftButtonInsideIt) {
    const Click clicks[] = {
        {200, 300, 1, true},  {400, 400, 1, true},  {300, 350, 1, true},  {401, 350, 1, false},
        {199, 350, 1, false}, {300, 401, 1, false}, {300, 350, 3, false}, {300, 350, 4, false},
    };
    for (const Click& c : clicks) {
        sandbox::Sandbox box;
        scripted::mouseAt(1.0, c.x, c.y, c.buttons);
        const sandbox::RunEnd end = sandbox::runGame(3.0);
        EXPECT_FALSE(end.programEnded) << c.x << "," << c.y;
        EXPECT_EQ(scripted::windowWidth(), c.opensTable ? 930 : 640) << c.x << "," << c.y << " mask " << c.buttons;
    }
}

TEST(Flow, EveryWayOutOfTheStatisticsScreenEndsWithStatusZero) {
    enum Way { escapeHeld, key, extendedKey, closeButton };
    for (Way way : {escapeHeld, key, extendedKey, closeButton}) {
        sandbox::Sandbox box;
        if (way == escapeHeld) scripted::holdKey(1, 1.0, 1.15);
        if (way == key) scripted::keyAt(1.0, "a");
        if (way == extendedKey) scripted::keyAt(1.0, std::string("\xFF") + "H");
        if (way == closeButton) scripted::closeAt(1.0);
        const sandbox::RunEnd end = sandbox::runGame(5.0);
        EXPECT_TRUE(end.programEnded) << way;
        EXPECT_EQ(end.status, 0) << way;
        EXPECT_EQ(scripted::windowWidth(), 640) << way;
        // The click wait looks every 100 ms.
        EXPECT_LT(scripted::now(), 1.2) << way;
    }
}

TEST(Flow, AWindowThatCannotOpenEndsTheProgramWithOneLineAndStatusOne) {
    const struct {
        int refusedWindow;
        const char* line;
        bool playerFiles;
    } cases[] = {
        {1, "rotandor: cannot open the 640 x 420 window: no display", false},
        {2, "rotandor: cannot open the 930 x 647 window: no display", true},
    };
    for (const auto& c : cases) {
        sandbox::Sandbox box;
        scripted::refuseWindows(c.refusedWindow, "no display");
        scripted::mouseAt(1.0, 300, 350, 1);
        const sandbox::RunEnd end = sandbox::runGame(5.0);
        EXPECT_TRUE(end.programEnded) << c.refusedWindow;
        EXPECT_EQ(end.status, 1) << c.refusedWindow;
        EXPECT_EQ(scripted::errorLines(), std::vector<std::string>{c.line});
        EXPECT_EQ(sandbox::exists(box.playerDir() / "Login.dat"), c.playerFiles) << c.refusedWindow;
    }
}

TEST(Flow, TheWindowIsTitledAndCarriesTheIconOnBothScreens) {
    sandbox::Sandbox box;
    scripted::mouseAt(1.0, 300, 350, 1);
    sandbox::runGame(0.5);
    EXPECT_EQ(scripted::windowTitle(), "Rotandor");
    EXPECT_EQ(scripted::windowIconSize(), 32);
    const sandbox::RunEnd end = sandbox::runGame(3.0);  // a second run: the table opens
    EXPECT_FALSE(end.programEnded);
    EXPECT_EQ(scripted::windowWidth(), 930);
    EXPECT_EQ(scripted::windowsOpened(), 3);
    EXPECT_EQ(scripted::windowTitle(), "Rotandor");
    EXPECT_EQ(scripted::windowIcon().size(), 32u * 32u);
}

}  // namespace
