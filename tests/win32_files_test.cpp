// What the Windows file layer does of its own: where the player directory
// lies, a rewrite of a file that someone still reads, and a file another
// program holds for a moment.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "paths.h"
#include "platform.h"
#include "records.h"
#include "sandbox.h"

namespace {

TEST(WindowsFiles, PlayerDirectoryUnderAppData) {
    sandbox::Sandbox box(false);
    struct Case {
        const char* appData;
        std::string dir;
    };
    const Case cases[] = {
        {"C:\\Users\\p\\AppData\\Roaming", "C:/Users/p/AppData/Roaming/Rotandor"},
        {"D:\\data\\", "D:/data/Rotandor"},
        {"\\\\server\\home\\p", "//server/home/p/Rotandor"},
        {"relative", ""},  // ignored: the shell's roaming folder
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        host::setEnvironment("APPDATA", c.appData);
        const std::string dir = platform::playerDirectory();
        if (!c.dir.empty()) {
            EXPECT_EQ(dir, c.dir) << c.appData;
        } else {
            EXPECT_TRUE(dir.size() > 3 && dir[1] == ':' && dir[2] == '/') << dir;
            EXPECT_TRUE(dir.ends_with("/AppData/Roaming/Rotandor")) << dir;
        }
    }
    host::setEnvironment("APPDATA", "C:\\Users\\p\\AppData\\Roaming");
    EXPECT_EQ(svc::hostPath("c:\\Windows\\Login.dat"), "C:/Users/p/AppData/Roaming/Rotandor/Login.dat");
    EXPECT_EQ(svc::hostPath("dir\\file.txt"), "dir/file.txt");
}

TEST(WindowsFiles, RewriteOfAFileHeldOpenFailsWhole) {
    // Windows does not replace a file that is open: the rewrite fails, the
    // old content stays, and nothing is left beside it.
    sandbox::Sandbox box(false);
    sandbox::writeFile(box.dir() / "Secrets.dat", "old\r\n");
    ASSERT_EQ(svc::openFile("Secrets.dat", svc::OpenMode::input, 1), 0);
    ASSERT_EQ(svc::openFile("Secrets.dat", svc::OpenMode::output, 2), 0);
    svc::writeText(2, "new", svc::ItemEnd::lineEnd);
    svc::closeFile(2);
    svc::beginRead(1);
    EXPECT_EQ(svc::readText(), "old");
    svc::closeFile(1);
    EXPECT_EQ(sandbox::readFile(box.dir() / "Secrets.dat"), "old\r\n");
    EXPECT_EQ(platform::listDirectory(box.dir().string()), std::vector<std::string>{"Secrets.dat"});

    // Once it is closed, the next rewrite replaces it.
    ASSERT_EQ(svc::openFile("Secrets.dat", svc::OpenMode::output, 2), 0);
    svc::writeText(2, "new", svc::ItemEnd::lineEnd);
    svc::closeFile(2);
    EXPECT_EQ(sandbox::readFile(box.dir() / "Secrets.dat"), "new\r\n");
}

TEST(WindowsFiles, AFileHeldForAMomentIsWaitedFor) {
    // As a virus scanner holds a file it has just seen written: sharing only
    // reading (and writing, for the delete), let go after a tenth of a second:
    // a tenth of the time the files wait for it.
    struct Case {
        const char* name;
        DWORD share;
        void (*act)();
        const char* after;  // nullptr: the file is gone
    };
    const Case cases[] = {
        {"rewrite", FILE_SHARE_READ,
         [] {
             ASSERT_EQ(svc::openFile("Secrets.dat", svc::OpenMode::output, 1), 0);
             svc::writeText(1, "new", svc::ItemEnd::lineEnd);
             svc::closeFile(1);
         },
         "new\r\n"},
        {"append", FILE_SHARE_READ,
         [] {
             ASSERT_EQ(svc::openFile("Secrets.dat", svc::OpenMode::append, 1), 0);
             svc::writeText(1, "new", svc::ItemEnd::lineEnd);
             svc::closeFile(1);
         },
         "old\r\nnew\r\n"},
        {"delete", FILE_SHARE_READ | FILE_SHARE_WRITE,
         [] {
             ASSERT_EQ(svc::deleteFile("Secrets.dat"), 0);
             svc::settleDeletes();
         },
         nullptr},
    };
    for (const Case& c : cases) {
        sandbox::Sandbox box(false);
        const auto path = box.dir() / "Secrets.dat";
        sandbox::writeFile(path, "old\r\n");
        const HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE) << c.name;
        std::thread letGo([other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            CloseHandle(other);
        });
        c.act();
        letGo.join();
        if (c.after != nullptr) {
            EXPECT_EQ(sandbox::readFile(path), c.after) << c.name;
            EXPECT_EQ(platform::listDirectory(box.dir().string()), std::vector<std::string>{"Secrets.dat"}) << c.name;
        } else {
            EXPECT_TRUE(platform::listDirectory(box.dir().string()).empty()) << c.name;
        }
    }
}

}  // namespace
