// Numbered files: the bytes of each kind of write, the file numbers and open
// modes, the file operations and the mapping of game paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host.h"
#include "paths.h"
#include "records.h"
#include "sandbox.h"

namespace {

using svc::ItemEnd;
using svc::OpenMode;
constexpr ItemEnd none = ItemEnd::none, line = ItemEnd::lineEnd, zone = ItemEnd::zone;

struct Write {
    char kind;  // 'i' writeInt, 'u' writeUnsigned64, 't' writeText
    long long number;
    std::string text;
    ItemEnd end;
};
Write i32(long long v, ItemEnd e) {
    return {'i', v, "", e};
}
Write u64(long long v, ItemEnd e) {
    return {'u', v, "", e};
}
Write txt(std::string t, ItemEnd e) {
    return {'t', 0, std::move(t), e};
}
std::string blanks(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

TEST(RecordWrites, ExactBytes) {
    struct Case {
        std::vector<Write> writes;
        std::string bytes;
    };
    const Case cases[] = {
        {{i32(0, none)}, " 0"},
        {{i32(-7, none)}, "-7"},
        {{i32(-2147483647 - 1, line), i32(2147483647, line)}, "-2147483648\r\n 2147483647\r\n"},
        {{u64(100000000000LL, line)}, "100000000000\r\n"},
        {{txt("abcdefghijklmn", zone)}, "abcdefghijklmn" + blanks(14)},  // a full zone gets a whole zone
        {{i32(1, zone), i32(0, zone), i32(3, line)}, " 1" + blanks(12) + " 0" + blanks(12) + " 3\r\n"},
        {{i32(7, zone), txt("12-07-2026", zone), txt("18:30:12", line)},
         " 7" + blanks(12) + "12-07-2026" + blanks(4) + "18:30:12\r\n"},
        {{txt("abcdefghij\r\ncd", zone), txt("e\rfgh", zone), txt("i\nj", zone)},
         "abcdefghij\r\ncd" + blanks(12) + "e\rfgh" + blanks(11) + "i\nj" + blanks(13)},
        {{txt(std::string(30, 'x'), none), i32(5, zone)}, std::string(30, 'x') + " 5" + blanks(10)},
    };
    for (const Case& c : cases) {
        sandbox::Sandbox box(false);
        ASSERT_EQ(svc::openFile("out.txt", OpenMode::output, 1), 0);
        for (const Write& w : c.writes) {
            if (w.kind == 'i') svc::writeInt(1, static_cast<std::int32_t>(w.number), w.end);
            if (w.kind == 'u') svc::writeUnsigned64(1, static_cast<std::uint64_t>(w.number), w.end);
            if (w.kind == 't') svc::writeText(1, w.text, w.end);
        }
        svc::closeFile(1);
        EXPECT_EQ(sandbox::readFile(box.dir() / "out.txt"), c.bytes);
    }
}

TEST(RecordFiles, FileNumbersAndModes) {
    sandbox::Sandbox box(false);
    const auto path = box.dir() / "f.txt";
    sandbox::writeFile(path, "old\r\n");
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
    EXPECT_EQ(svc::readText(), "old");
    EXPECT_NE(svc::openFile("zero", OpenMode::output, 0), 0);
    EXPECT_NE(svc::openFile("big", OpenMode::output, 256), 0);
    svc::writeText(9, "ignored", line);  // a file open for input
    svc::closeAllFiles();
    EXPECT_EQ(svc::freeFileNumber(), 1);
    svc::writeText(1, "ignored", line);  // a free number
    EXPECT_FALSE(sandbox::exists(box.dir() / "other") || sandbox::exists(box.dir() / "zero"));

    ASSERT_EQ(svc::openFile("f.txt", OpenMode::output, 1), 0);
    svc::writeText(1, "new", line);
    svc::closeFile(1);
    ASSERT_EQ(svc::openFile("f.txt", OpenMode::append, 1), 0);
    svc::writeText(1, "more", zone);  // the column starts at 0 in append mode too
    svc::writeText(1, "x", line);
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(path), "new\r\nmore" + blanks(10) + "x\r\n");
}

TEST(RecordFiles, FileOperations) {
    sandbox::Sandbox box(false);
    sandbox::writeFile(box.dir() / "a.txt", "A");
    sandbox::writeFile(box.dir() / "c.txt", "C");
    std::filesystem::create_directory(box.dir() / "folder");
    EXPECT_EQ(svc::fileExists("a.txt"), -1);
    EXPECT_EQ(svc::fileExists("missing.txt"), 0);
    EXPECT_EQ(svc::fileExists("folder"), 0);
    for (const char* path : {"folder", "nowhere/x.txt"}) {
        EXPECT_EQ(svc::openFile(path, OpenMode::input, 1), 2) << path;
        EXPECT_EQ(svc::openFile(path, OpenMode::output, 1), 2) << path;
        EXPECT_EQ(svc::openFile(path, OpenMode::append, 1), 2) << path;
    }
    EXPECT_EQ(svc::freeFileNumber(), 1);
    EXPECT_NE(svc::deleteFile("missing.txt"), 0);
    EXPECT_NE(svc::deleteFile("folder"), 0);
    EXPECT_TRUE(sandbox::exists(box.dir() / "folder"));
    // Renaming never replaces a file that is already there.
    EXPECT_NE(svc::renameFile("a.txt", "c.txt"), 0);
    EXPECT_EQ(sandbox::readFile(box.dir() / "c.txt"), "C");
    EXPECT_EQ(svc::renameFile("a.txt", "d.txt"), 0);
    EXPECT_EQ(sandbox::readFile(box.dir() / "d.txt"), "A");
    EXPECT_FALSE(sandbox::exists(box.dir() / "a.txt"));
}

TEST(RecordPaths, GamePathsToHostPaths) {
    if (!host::posix()) GTEST_SKIP() << "XDG directories are POSIX's";
    sandbox::Sandbox box(false);
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/";
    const std::string fallback = home + "/.local/share/rotandor/a";
    struct Case {
        const char* xdg;
        std::string game, host;
    };
    const Case cases[] = {
        {"/xdg", "c:\\Windows\\Login.dat", "/xdg/rotandor/Login.dat"},
        {"/xdg", "C:/WINDOWS/sub\\x.dat", "/xdg/rotandor/sub/x.dat"},
        {"relative", "c:\\Windows\\a", fallback},  // relative values are ignored
        {nullptr, "c:\\Windows\\a", fallback},
        {"/xdg", "dir\\file.txt", "dir/file.txt"},
        {"/xdg", "/opt/game\\Tisch.roulette", "/opt/game/Tisch.roulette"},
        {"/xdg", "c:\\Windowsx\\a", "c:/Windowsx/a"},
    };
    for (const Case& c : cases) {
        host::setEnvironment("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(svc::hostPath(c.game), c.host) << c.game;
    }
}

TEST(RecordPaths, PlayerDirectoryIsCreatedOnFirstWrite) {
    sandbox::Sandbox box(false);
    EXPECT_EQ(svc::openFile("c:\\Windows\\Login.dat", OpenMode::input, 1), 2);
    EXPECT_FALSE(sandbox::exists(box.dir() / "data"));
    ASSERT_EQ(svc::openFile("c:\\Windows\\Login.dat", OpenMode::output, 1), 0);
    svc::writeText(1, "12-07-2026", line);
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(box.playerDir() / "Login.dat"), "12-07-2026\r\n");
    // Readable by the player only.
    if (host::posix()) {
        EXPECT_EQ(std::filesystem::status(box.playerDir()).permissions(), std::filesystem::perms::owner_all);
    }
}

}  // namespace
