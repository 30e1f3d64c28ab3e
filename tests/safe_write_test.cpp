// Crash-safe rewrites: a failure at any write point, or a writer killed half
// way, leaves the old content whole and no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "host.h"
#include "input.h"
#include "message_box.h"
#include "paths.h"
#include "records.h"
#include "sandbox.h"

namespace {

using svc::ItemEnd;
using svc::OpenMode;
namespace fs = std::filesystem;

std::set<std::string> entries(const fs::path& dir) {
    std::set<std::string> names;
    if (!fs::exists(dir)) return names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

std::optional<std::string> content(const fs::path& path) {
    if (!fs::exists(path)) return std::nullopt;
    return sandbox::readFile(path);
}

// Lines enough for several writes to the system.
constexpr int bigLines = 4000;
const std::string bigLine = " 1234         line of the new file";

int writeBig(const std::string& gamePath) {
    const int n = svc::freeFileNumber();
    const int opened = svc::openFile(gamePath, OpenMode::output, n);
    for (int i = 0; i < bigLines; i++) svc::writeText(n, bigLine, ItemEnd::lineEnd);
    svc::closeFile(n);
    return opened;
}

TEST(SafeWrite, FailureAtEveryWritePointKeepsOldOrNew) {
    struct Case {
        const char* name;
        const char* gamePath;
        std::optional<std::string> old;
        bool deleteFirst;                         // the game's delete-then-rewrite
        std::optional<std::string> afterFailure;  // what a failed rewrite leaves
    };
    const Case cases[] = {
        {"rewrite", "Secrets.dat", "old\r\n", false, "old\r\n"},
        {"first write into the player directory", "c:\\Windows\\Secrets.dat", std::nullopt, false, std::nullopt},
        {"delete then rewrite", "c:\\Windows\\Login2.dat", "12-06-2026\r\n", true, std::nullopt},
    };
    std::string fresh;
    for (int i = 0; i < bigLines; i++) fresh += bigLine + "\r\n";
    for (const Case& c : cases) {
        int succeededAt = -1;
        for (int k = 0; k < 100 && succeededAt < 0; k++) {
            sandbox::Sandbox box(false);
            const fs::path target = fs::absolute(svc::hostPath(c.gamePath));
            if (c.old) sandbox::writeFile(target, *c.old);
            if (c.deleteFirst) {
                ASSERT_EQ(svc::deleteFile(c.gamePath), 0);
            }

            svc::records::failFileOperationsAfter(k);
            const int opened = writeBig(c.gamePath);
            svc::records::failFileOperationsAfter(-1);

            const auto now = content(target);
            const std::set<std::string> expected =
                now ? std::set<std::string>{target.filename().string()} : std::set<std::string>{};
            EXPECT_EQ(entries(target.parent_path()), expected) << c.name << ", failure after " << k;
            if (now == fresh) {
                succeededAt = k;
                EXPECT_EQ(opened, 0);
                break;
            }
            EXPECT_EQ(now, c.afterFailure) << c.name << ", failure after " << k;

            // The game goes on: the number is free and the next write works.
            ASSERT_EQ(svc::freeFileNumber(), 1);
            ASSERT_EQ(svc::openFile(c.gamePath, OpenMode::output, 1), 0);
            svc::writeText(1, "after", ItemEnd::none);
            svc::closeFile(1);
            EXPECT_EQ(content(target), "after") << c.name;
        }
        // Creating the file, several writes, fsync and rename can each fail.
        EXPECT_GE(succeededAt, 5) << c.name;
    }
}

TEST(SafeWrite, DeleteThenRewriteIsOneReplacement) {
    sandbox::Sandbox box(false);
    const fs::path target = box.playerDir() / "Login2.dat";
    sandbox::writeFile(target, "12-06-2026\r\n");

    ASSERT_EQ(svc::deleteFile("c:\\Windows\\Login2.dat"), 0);
    ASSERT_EQ(svc::openFile("c:\\Windows\\Login2.dat", OpenMode::output, 1), 0);
    svc::writeText(1, "12-07-2026", ItemEnd::lineEnd);
    // Until the new content is in place, the old one stays on disk.
    EXPECT_EQ(content(target), "12-06-2026\r\n");
    svc::closeFile(1);
    EXPECT_EQ(content(target), "12-07-2026\r\n");
    EXPECT_EQ(entries(box.playerDir()), std::set<std::string>{"Login2.dat"});

    // Without a rewrite the delete is carried out at the next use of the
    // file, or when the files are closed at the end.
    ASSERT_EQ(svc::deleteFile("c:\\Windows\\Login2.dat"), 0);
    EXPECT_EQ(svc::fileExists("c:\\Windows\\Login2.dat"), 0);
    EXPECT_FALSE(fs::exists(target));
    sandbox::writeFile(target, "x");
    ASSERT_EQ(svc::deleteFile("c:\\Windows\\Login2.dat"), 0);
    svc::closeAllFiles();
    EXPECT_FALSE(fs::exists(target));
}

// Dies in the middle of the game's delete-then-rewrite, with part of the new
// content already written.
void dieWhileRewriting() {
    svc::deleteFile("c:\\Windows\\Login2.dat");
    svc::openFile("c:\\Windows\\Login2.dat", OpenMode::output, 1);
    for (int i = 0; i < 10000; i++) svc::writeText(1, "12-07-2026", ItemEnd::lineEnd);
}

TEST(SafeWrite, KilledWriterLeavesTheOldFile) {
    host::childPart(dieWhileRewriting);
    sandbox::Sandbox box(false);
    const fs::path target = box.playerDir() / "Login2.dat";
    sandbox::writeFile(target, "12-06-2026\r\n");

    ASSERT_TRUE(host::runDyingChild("SafeWrite.KilledWriterLeavesTheOldFile", dieWhileRewriting));
    EXPECT_EQ(content(target), "12-06-2026\r\n");
    EXPECT_EQ(entries(box.playerDir()).size(), 2u);  // with the dead writer's temporary file

    // The next rewrite in that directory clears what the dead writer left.
    ASSERT_EQ(svc::openFile("c:\\Windows\\Login2.dat", OpenMode::output, 1), 0);
    svc::writeText(1, "12-07-2026", ItemEnd::lineEnd);
    svc::closeFile(1);
    EXPECT_EQ(content(target), "12-07-2026\r\n");
    EXPECT_EQ(entries(box.playerDir()), std::set<std::string>{"Login2.dat"});
}

TEST(SafeWrite, RewriteKeepsTheFilesMode) {
    if (!host::posix()) GTEST_SKIP() << "no access modes here";
    sandbox::Sandbox box(false);
    const fs::path target = box.dir() / "Secrets.dat";
    sandbox::writeFile(target, "old");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, mode);
    ASSERT_EQ(svc::openFile("Secrets.dat", OpenMode::output, 1), 0);
    svc::writeText(1, "new", ItemEnd::none);
    svc::closeFile(1);
    EXPECT_EQ(fs::status(target).permissions(), mode);
}

}  // namespace

namespace {

// A delete waits only for the rewrite of its own file: anything else the
// program does next, a message box included, carries it out on disk.
TEST(SafeWrite, ADeleteNotFollowedByItsRewriteIsCarriedOutAtOnce) {
    enum Next { otherFileRead, messageBox, eventPoll };
    for (Next next : {otherFileRead, messageBox, eventPoll}) {
        sandbox::Sandbox box(false);
        sandbox::writeFile(box.dir() / "Rot.Roulette", "marker");
        sandbox::writeFile(box.dir() / "Button.txt", "1,2,3,4,0\r\n");
        ASSERT_EQ(svc::deleteFile("Rot.Roulette"), 0);
        if (next == otherFileRead) svc::fileExists("Button.txt");
        if (next == messageBox) svc::messageBox("Rotandor", "text");
        if (next == eventPoll) svc::pumpEvents();
        EXPECT_FALSE(fs::exists(box.dir() / "Rot.Roulette")) << next;
    }
}

}  // namespace
