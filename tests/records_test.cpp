// Numbered files: the bytes of each kind of write, the file numbers and open
// modes, the file operations and the mapping of game paths.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "records.h"
#include "sandbox.h"
#include "scripted.h"

namespace {

using namespace std::string_literals;
using svc::ItemEnd;
using svc::OpenMode;

std::string written(const std::function<void(int)>& writes) {
    sandbox::Sandbox box(false);
    const int n = svc::freeFileNumber();
    EXPECT_EQ(svc::openFile("out.txt", OpenMode::output, n), 0);
    writes(n);
    svc::closeFile(n);
    return sandbox::readFile(box.dir() / "out.txt");
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

TEST(RecordWrites, ExactBytes) {
    struct Case {
        const char* name;
        std::function<void(int)> writes;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"zero", [](int n) { svc::writeInt(n, 0, ItemEnd::none); }, " 0"},
        {"negative", [](int n) { svc::writeInt(n, -7, ItemEnd::none); }, "-7"},
        {"int32 limits",
         [](int n) {
             svc::writeInt(n, std::numeric_limits<std::int32_t>::min(), ItemEnd::lineEnd);
             svc::writeInt(n, std::numeric_limits<std::int32_t>::max(), ItemEnd::lineEnd);
         },
         "-2147483648\r\n 2147483647\r\n"},
        {"unsigned 64", [](int n) { svc::writeUnsigned64(n, 100000000000ULL, ItemEnd::lineEnd); },
         "100000000000\r\n"},
        {"unsigned 64 max", [](int n) { svc::writeUnsigned64(n, ~0ULL, ItemEnd::none); }, "18446744073709551615"},
        {"full zone gets a whole zone", [](int n) { svc::writeText(n, "abcdefghijklmn", ItemEnd::zone); },
         "abcdefghijklmn" + blanks(14)},
        {"empty text in a zone", [](int n) { svc::writeText(n, "", ItemEnd::zone); }, blanks(14)},
        {"three zones",
         [](int n) {
             svc::writeInt(n, 1, ItemEnd::zone);
             svc::writeInt(n, 0, ItemEnd::zone);
             svc::writeInt(n, 3, ItemEnd::lineEnd);
         },
         " 1" + blanks(12) + " 0" + blanks(12) + " 3\r\n"},
        {"history line",
         [](int n) {
             svc::writeInt(n, 7, ItemEnd::zone);
             svc::writeText(n, "12-07-2026", ItemEnd::zone);
             svc::writeText(n, "18:30:12", ItemEnd::lineEnd);
         },
         " 7" + blanks(12) + "12-07-2026" + blanks(4) + "18:30:12\r\n"},
        {"task line",
         [](int n) {
             svc::writeInt(n, 1, ItemEnd::zone);
             svc::writeInt(n, 3, ItemEnd::zone);
             svc::writeInt(n, 6148, ItemEnd::lineEnd);
         },
         " 1" + blanks(12) + " 3" + blanks(12) + " 6148\r\n"},
        {"line end restarts the column",
         [](int n) {
             svc::writeText(n, "abcdef", ItemEnd::lineEnd);
             svc::writeText(n, "xy", ItemEnd::zone);
             svc::writeText(n, "z", ItemEnd::none);
         },
         "abcdef\r\nxy" + blanks(12) + "z"},
        {"line ends inside a text count",
         [](int n) {
             svc::writeText(n, "abcdefghij\r\ncd", ItemEnd::zone);
             svc::writeText(n, "e\rfgh", ItemEnd::zone);
             svc::writeText(n, "i\nj", ItemEnd::zone);
         },
         "abcdefghij\r\ncd" + blanks(12) + "e\rfgh" + blanks(11) + "i\nj" + blanks(13)},
        {"column runs on past several zones",
         [](int n) {
             svc::writeText(n, std::string(30, 'x'), ItemEnd::none);
             svc::writeInt(n, 5, ItemEnd::zone);
         },
         std::string(30, 'x') + " 5" + blanks(10)},
        {"bytes kept as they are", [](int n) { svc::writeText(n, "\"a,b\"\x00\xff"s, ItemEnd::none); },
         "\"a,b\"\x00\xff"s},
    };
    for (const Case& c : cases) EXPECT_EQ(written(c.writes), c.bytes) << c.name;
}

TEST(RecordFiles, FileNumbers) {
    sandbox::Sandbox box(false);
    sandbox::writeFile(box.dir() / "f.txt", "eight\r\n");
    EXPECT_EQ(svc::freeFileNumber(), 1);
    for (int n = 1; n <= 255; n++) {
        ASSERT_EQ(svc::freeFileNumber(), n);
        ASSERT_EQ(svc::openFile("f.txt", OpenMode::input, n), 0);
    }
    EXPECT_EQ(svc::freeFileNumber(), 0);
    svc::closeFile(7);
    EXPECT_EQ(svc::freeFileNumber(), 7);

    // A number in use stays bound to its file; numbers out of range are refused.
    EXPECT_NE(svc::openFile("other", OpenMode::output, 8), 0);
    svc::beginRead(8);
    EXPECT_EQ(svc::readText(), "eight");
    EXPECT_NE(svc::openFile("zero", OpenMode::output, 0), 0);
    EXPECT_NE(svc::openFile("big", OpenMode::output, 256), 0);
    svc::closeAllFiles();
    EXPECT_EQ(svc::freeFileNumber(), 1);
    EXPECT_FALSE(sandbox::exists(box.dir() / "other"));
    EXPECT_FALSE(sandbox::exists(box.dir() / "zero"));
    EXPECT_FALSE(sandbox::exists(box.dir() / "big"));
}

TEST(RecordFiles, OpenModes) {
    sandbox::Sandbox box(false);
    const auto path = box.dir() / "f.txt";
    sandbox::writeFile(path, "old content\r\n");

    ASSERT_EQ(svc::openFile("f.txt", OpenMode::output, 1), 0);
    svc::writeText(1, "new", ItemEnd::lineEnd);
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(path), "new\r\n");

    ASSERT_EQ(svc::openFile("f.txt", OpenMode::append, 1), 0);
    svc::writeText(1, "more", ItemEnd::zone);  // the column starts at 0 in append mode too
    svc::writeText(1, "x", ItemEnd::lineEnd);
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(path), "new\r\nmore" + blanks(10) + "x\r\n");

    ASSERT_EQ(svc::openFile("created.txt", OpenMode::append, 1), 0);
    svc::writeInt(1, 4, ItemEnd::lineEnd);
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(box.dir() / "created.txt"), " 4\r\n");

    // Writes to an input file or a free number change nothing.
    ASSERT_EQ(svc::openFile("f.txt", OpenMode::input, 1), 0);
    svc::writeText(1, "ignored", ItemEnd::lineEnd);
    svc::closeFile(1);
    svc::writeText(2, "ignored", ItemEnd::lineEnd);
    EXPECT_EQ(sandbox::readFile(path), "new\r\nmore" + blanks(10) + "x\r\n");
}

TEST(RecordFiles, MissingFilesAndDirectories) {
    sandbox::Sandbox box(false);
    std::filesystem::create_directory(box.dir() / "folder");

    EXPECT_EQ(svc::openFile("missing.txt", OpenMode::input, 1), 2);
    EXPECT_EQ(svc::freeFileNumber(), 1);
    svc::beginRead(1);
    EXPECT_EQ(svc::readText(), "");
    EXPECT_EQ(svc::readInt(), 0);
    EXPECT_EQ(svc::readInt64(), 0);
    EXPECT_EQ(svc::readDouble(), 0.0);
    EXPECT_EQ(svc::atEndOfFile(1), -1);

    EXPECT_EQ(svc::openFile("folder", OpenMode::input, 1), 2);
    EXPECT_EQ(svc::openFile("folder", OpenMode::output, 1), 2);
    EXPECT_EQ(svc::openFile("nowhere/x.txt", OpenMode::output, 1), 2);
    EXPECT_EQ(svc::openFile("nowhere/x.txt", OpenMode::append, 1), 2);
    svc::writeText(1, "dropped", ItemEnd::lineEnd);
    svc::closeFile(1);
    EXPECT_EQ(svc::freeFileNumber(), 1);
    EXPECT_FALSE(sandbox::exists(box.dir() / "nowhere"));
}

TEST(RecordFiles, ExistsDeleteRename) {
    sandbox::Sandbox box(false);
    sandbox::writeFile(box.dir() / "a.txt", "A");
    sandbox::writeFile(box.dir() / "b.txt", "B");
    std::filesystem::create_directory(box.dir() / "folder");

    EXPECT_EQ(svc::fileExists("a.txt"), -1);
    EXPECT_EQ(svc::fileExists("missing.txt"), 0);
    EXPECT_EQ(svc::fileExists("folder"), 0);

    EXPECT_EQ(svc::deleteFile("a.txt"), 0);
    EXPECT_EQ(svc::fileExists("a.txt"), 0);
    EXPECT_FALSE(sandbox::exists(box.dir() / "a.txt"));
    EXPECT_NE(svc::deleteFile("a.txt"), 0);
    EXPECT_NE(svc::deleteFile("missing.txt"), 0);
    EXPECT_NE(svc::deleteFile("folder"), 0);
    EXPECT_TRUE(sandbox::exists(box.dir() / "folder"));

    // Renaming never replaces a file that is already there.
    sandbox::writeFile(box.dir() / "c.txt", "C");
    EXPECT_NE(svc::renameFile("b.txt", "c.txt"), 0);
    EXPECT_EQ(sandbox::readFile(box.dir() / "b.txt"), "B");
    EXPECT_EQ(sandbox::readFile(box.dir() / "c.txt"), "C");
    EXPECT_EQ(svc::renameFile("b.txt", "d.txt"), 0);
    EXPECT_FALSE(sandbox::exists(box.dir() / "b.txt"));
    EXPECT_EQ(sandbox::readFile(box.dir() / "d.txt"), "B");
    EXPECT_NE(svc::renameFile("missing.txt", "e.txt"), 0);
    EXPECT_FALSE(sandbox::exists(box.dir() / "e.txt"));
}

TEST(RecordFiles, DeletedFileIsGoneForEveryUse) {
    struct Case {
        const char* name;
        std::function<void()> use;
    };
    const std::vector<Case> cases = {
        {"fileExists", [] { EXPECT_EQ(svc::fileExists("f.txt"), 0); }},
        {"open for input", [] { EXPECT_EQ(svc::openFile("f.txt", OpenMode::input, 1), 2); }},
        {"open for append",
         [] {
             ASSERT_EQ(svc::openFile("f.txt", OpenMode::append, 1), 0);
             svc::writeText(1, "new", ItemEnd::none);
             svc::closeFile(1);
         }},
        {"rename from", [] { EXPECT_NE(svc::renameFile("f.txt", "g.txt"), 0); }},
        {"files closed at the end", [] { svc::closeAllFiles(); }},
    };
    for (const Case& c : cases) {
        sandbox::Sandbox box(false);
        sandbox::writeFile(box.dir() / "f.txt", "old");
        ASSERT_EQ(svc::deleteFile("f.txt"), 0);
        c.use();
        const auto path = box.dir() / "f.txt";
        EXPECT_TRUE(!sandbox::exists(path) || sandbox::readFile(path) == "new") << c.name;
        EXPECT_FALSE(sandbox::exists(box.dir() / "g.txt")) << c.name;
    }
}

TEST(RecordPaths, GamePathsToHostPaths) {
    sandbox::Sandbox box(false);
    const std::string player = (box.dir() / "data" / "rotandor").string();
    struct Case { std::string game, host; };
    const Case cases[] = {
        {"c:\\Windows\\Login.dat", player + "/Login.dat"},
        {"C:\\WINDOWS\\Geldbeutel.dat", player + "/Geldbeutel.dat"},
        {"c:/windows/sub\\x.dat", player + "/sub/x.dat"},
        {"Roulettezahlen.txt", "Roulettezahlen.txt"},
        {"dir\\file.txt", "dir/file.txt"},
        {"/opt/game\\Tisch.roulette", "/opt/game/Tisch.roulette"},
        {"c:\\Windowsx\\a", "c:/Windowsx/a"},
        {"d:\\Windows\\a", "d:/Windows/a"},
    };
    for (const Case& c : cases) EXPECT_EQ(svc::hostPath(c.game), c.host) << c.game;
}

TEST(RecordPaths, PlayerDirectoryFromTheEnvironment) {
    sandbox::Sandbox box(false);
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", "/home/player", 1);
    struct Case { const char* xdg; std::string dir; };
    const Case cases[] = {
        {"/xdg", "/xdg/rotandor"},
        {"relative/xdg", "/home/player/.local/share/rotandor"},  // relative values are ignored
        {"", "/home/player/.local/share/rotandor"},
        {nullptr, "/home/player/.local/share/rotandor"},
    };
    for (const Case& c : cases) {
        if (c.xdg != nullptr) setenv("XDG_DATA_HOME", c.xdg, 1);
        else unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(svc::hostPath("c:\\Windows\\Login.dat"), c.dir + "/Login.dat") << (c.xdg ? c.xdg : "unset");
    }
    if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
}

TEST(RecordPaths, PlayerDirectoryIsCreatedOnFirstWrite) {
    sandbox::Sandbox box(false);
    ASSERT_FALSE(sandbox::exists(box.dir() / "data"));
    EXPECT_EQ(svc::fileExists("c:\\Windows\\Login.dat"), 0);
    EXPECT_EQ(svc::openFile("c:\\Windows\\Login.dat", OpenMode::input, 1), 2);
    EXPECT_FALSE(sandbox::exists(box.dir() / "data"));

    ASSERT_EQ(svc::openFile("c:\\Windows\\Login.dat", OpenMode::output, 1), 0);
    svc::writeText(1, "12-07-2026", ItemEnd::lineEnd);
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(box.playerDir() / "Login.dat"), "12-07-2026\r\n");
    EXPECT_EQ(svc::fileExists("c:/Windows/Login.dat"), -1);
    struct stat st;
    ASSERT_EQ(stat(box.playerDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::filesystem::remove_all(box.dir() / "data");
    ASSERT_EQ(svc::openFile("c:\\Windows\\Roulette.log", OpenMode::append, 1), 0);
    svc::closeFile(1);
    EXPECT_TRUE(sandbox::exists(box.playerDir() / "Roulette.log"));
}

TEST(RecordPaths, ExeDirectoryIsTheProgramsDirectory) {
    sandbox::Sandbox box(false);
    scripted::setProgramDirectory("/opt/rotandor/bin");
    EXPECT_EQ(svc::exeDirectory(), "/opt/rotandor/bin");
}

TEST(RecordTexts, NumbersToTexts) {
    EXPECT_EQ(svc::intToText(25), "25");
    EXPECT_EQ(svc::intToText(0), "0");
    EXPECT_EQ(svc::intToText(-7), "-7");
    EXPECT_EQ(svc::intToText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(svc::unsigned64ToText(100000000000ULL), "100000000000");
    EXPECT_EQ(svc::unsigned64ToText(~0ULL), "18446744073709551615");
}

}  // namespace
