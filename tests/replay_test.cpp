// The golden replay: one scripted session of the whole program, from a first
// start through three settled rounds and a croupier spin to a second start,
// compared pixel for pixel and byte for byte with committed golden files.
//
// To accept a deliberate change, regenerate the files with
// tools/update_golden.sh (ROTANDOR_UPDATE_GOLDEN=1) and review the diff.
// On a mismatch the actual and expected screens are written as PPM files to
// tests/artifacts/.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "screen_reader.h"

namespace {

namespace fs = std::filesystem;

const fs::path goldenDir = fs::path(ROTANDOR_SOURCE_DIR) / "tests" / "golden" / "replay";
const fs::path artifactDir = fs::path(ROTANDOR_SOURCE_DIR) / "tests" / "artifacts";

bool updating() {
    const char* v = std::getenv("ROTANDOR_UPDATE_GOLDEN");
    return v != nullptr && std::string(v) == "1";
}

// The script ------------------------------------------------------------------

// A press must outlast the pause of an idle table pass, and then a full
// round of the hit test (87 passes); the statistics screen looks at the mouse
// every 100 ms.
constexpr double tableHold = 0.05;
constexpr double statisticsHold = 0.3;

void click(double at, int x, int y, double hold = tableHold) {
    scripted::mouseAt(at, x, y, 1);
    scripted::mouseAt(at + hold, x, y, 0);
}

// A round: the field, the chip, then the start button. The next round comes
// 38 s later: after the longest spin and its boxes, before the croupier's
// earliest spin 10 s after the settlement.
constexpr double roundGap = 38;
struct Round {
    int fieldX, fieldY, chipX;
};
const Round rounds[] = {
    {218, 203, 25},  // the 17 with 25
    {49, 190, 65},   // red with 50
    {154, 394, 25},  // the first column with 25
};
constexpr double tableOpen = 1.0;
constexpr double firstRound = 1.5;
constexpr double croupierSpinning = 150;
constexpr double firstRunKey = 175;

void scriptFirstRun() {
    click(0.5, 300, 350, statisticsHold);  // the statistics panel
    for (int i = 0; i < 3; i++) {
        const double at = firstRound + i * roundGap;
        click(at, rounds[i].fieldX, rounds[i].fieldY);
        click(at + 0.1, rounds[i].chipX, 495);
        click(at + 0.2, 80, 605);
    }
    // Then the croupier spins by himself; a key ends the run after his spin.
    scripted::keyAt(firstRunKey, "q");
}

void scriptSecondRun(double start) {
    click(start + 0.5, 300, 350, statisticsHold);
    scripted::holdKey(1, start + 1.5, start + 2);
}

// Screens ----------------------------------------------------------------------

struct Frame {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB
};

Frame shownFrame() {
    Frame f;
    f.width = scripted::windowWidth();
    f.height = scripted::windowHeight();
    for (std::uint32_t p : scripted::shownPixels()) f.rgb.push_back(p & 0xFFFFFF);
    return f;
}

// Run-length encoded: "RLE1", width and height as 16-bit little endian, then
// runs of a 16-bit count and the three colour bytes. "XOR1" holds the pixels
// XOR the freshly opened table's, which all later table screens share.
std::string encode(const Frame& f, const char* magic = "RLE1") {
    std::string out = magic;
    auto put16 = [&](unsigned v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    };
    put16(static_cast<unsigned>(f.width));
    put16(static_cast<unsigned>(f.height));
    std::size_t i = 0;
    while (i < f.rgb.size()) {
        std::size_t n = 1;
        while (i + n < f.rgb.size() && n < 0xFFFF && f.rgb[i + n] == f.rgb[i]) n++;
        put16(static_cast<unsigned>(n));
        out += static_cast<char>(f.rgb[i] >> 16);
        out += static_cast<char>(f.rgb[i] >> 8);
        out += static_cast<char>(f.rgb[i]);
        i += n;
    }
    return out;
}

bool decode(const std::string& in, Frame& f, const char* magic = "RLE1") {
    if (in.size() < 8 || in.compare(0, 4, magic) != 0) return false;
    auto get16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(in[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(in[at + 1])) << 8;
    };
    f.width = static_cast<int>(get16(4));
    f.height = static_cast<int>(get16(6));
    f.rgb.clear();
    for (std::size_t at = 8; at + 5 <= in.size(); at += 5) {
        const std::uint32_t colour = static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + 2])) << 16 |
                                     static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + 3])) << 8 |
                                     static_cast<unsigned char>(in[at + 4]);
        f.rgb.insert(f.rgb.end(), get16(at), colour);
    }
    return f.rgb.size() == static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height);
}

void writePpm(const fs::path& path, const Frame& f) {
    fs::create_directories(path.parent_path());
    std::string bytes = "P6\n" + std::to_string(f.width) + " " + std::to_string(f.height) + "\n255\n";
    for (std::uint32_t p : f.rgb) {
        bytes += static_cast<char>(p >> 16);
        bytes += static_cast<char>(p >> 8);
        bytes += static_cast<char>(p);
    }
    sandbox::writeFile(path, bytes);
}

Frame combined(const Frame& f, const Frame& base) {
    Frame out = f;
    for (std::size_t i = 0; i < out.rgb.size() && i < base.rgb.size(); i++) out.rgb[i] ^= base.rgb[i];
    return out;
}

// With a base (of the same size), the screen is stored as its difference to it.
void checkScreen(const std::string& name, const Frame& actual, const Frame* base = nullptr) {
    if (base && (base->width != actual.width || base->height != actual.height)) base = nullptr;
    const fs::path golden = goldenDir / (name + ".rle");
    if (updating()) {
        sandbox::writeFile(golden, base ? encode(combined(actual, *base), "XOR1") : encode(actual));
        return;
    }
    Frame expected;
    ASSERT_TRUE(decode(sandbox::readFile(golden), expected, base ? "XOR1" : "RLE1")) << "no golden screen " << golden;
    if (base) expected = combined(expected, *base);
    std::string difference;
    if (expected.width != actual.width || expected.height != actual.height) {
        difference = "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) + ", golden " +
                     std::to_string(expected.width) + "x" + std::to_string(expected.height);
    } else {
        for (std::size_t i = 0; i < actual.rgb.size() && difference.empty(); i++) {
            if (actual.rgb[i] == expected.rgb[i]) continue;
            char text[96];
            std::snprintf(text, sizeof text, "first difference at (%zu, %zu): %06X, golden %06X",
                          i % static_cast<std::size_t>(actual.width), i / static_cast<std::size_t>(actual.width),
                          actual.rgb[i], expected.rgb[i]);
            difference = text;
        }
    }
    if (!difference.empty()) {
        writePpm(artifactDir / (name + "-actual.ppm"), actual);
        writePpm(artifactDir / (name + "-golden.ppm"), expected);
        ADD_FAILURE() << "screen " << name << ": " << difference << " (see " << artifactDir.string() << ")";
    }
}

// Files and boxes --------------------------------------------------------------

// The player's files and the history, by name; absent files are not listed.
std::map<std::string, std::string> playerFiles(const gamefix::Table& t) {
    gamefix::Table::flush();
    std::map<std::string, std::string> files;
    for (const char* name : {"Login.dat", "Login2.dat", "Secrets.dat", "Geldbeutel.dat"}) {
        if (sandbox::exists(t.player(name))) files[name] = sandbox::readFile(t.player(name));
    }
    if (sandbox::exists(t.here("Roulettezahlen.txt"))) {
        files["Roulettezahlen.txt"] = sandbox::readFile(t.here("Roulettezahlen.txt"));
    }
    return files;
}

void checkFiles(const std::string& run, const std::map<std::string, std::string>& actual) {
    const fs::path dir = goldenDir / run;
    if (updating()) {
        fs::remove_all(dir);
        for (const auto& [name, bytes] : actual) sandbox::writeFile(dir / name, bytes);
        return;
    }
    std::map<std::string, std::string> expected;
    if (fs::is_directory(dir)) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            expected[entry.path().filename().string()] = sandbox::readFile(entry.path());
        }
    }
    EXPECT_EQ(actual, expected) << "player files after " << run;
}

// The message boxes as text: virtual time to a tenth of a second, then the text
// with CR, LF and bytes above 126 escaped.
std::string boxTranscript() {
    std::string out;
    for (const scripted::Box& b : scripted::boxes()) {
        char time[32];
        std::snprintf(time, sizeof time, "%.1f ", b.time);
        out += time + b.caption + ": ";
        for (unsigned char c : b.text) {
            if (c >= 32 && c < 127 && c != '\\') {
                out += static_cast<char>(c);
            } else {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\x%02X", c);
                out += esc;
            }
        }
        out += "\n";
    }
    return out;
}

void checkText(const std::string& name, const std::string& actual) {
    const fs::path golden = goldenDir / name;
    if (updating()) {
        sandbox::writeFile(golden, actual);
        return;
    }
    EXPECT_EQ(actual, sandbox::readFile(golden)) << "golden " << golden;
}

// The session ----------------------------------------------------------------------

constexpr double never = 1e6;

// Plays the session from the start, stopping at `stopAt` seconds into run
// 1 or 2 (never: until that run ends by itself).
struct Session {
    gamefix::Table table{2026, 12, 7, 3, 30, 0};  // a Monday, in the weekday task's hour
    sandbox::RunEnd first, second;
    double secondStart = -1;
    std::map<std::string, std::string> filesAfterFirst, filesAfterSecond;
    Frame firstEnd;

    Session(int stopRun, double stopAt) {
        // Polls barely move the clock: the times of the script are the times of the game.
        scripted::setPollCost(3e-7);
        scriptFirstRun();
        first = sandbox::runGame(stopRun == 1 ? stopAt : never);
        if (stopRun == 1) return;
        filesAfterFirst = playerFiles(table);
        firstEnd = shownFrame();
        secondStart = scripted::now();
        scriptSecondRun(secondStart);
        second = sandbox::runGame(stopRun == 2 ? secondStart + stopAt : never);
        filesAfterSecond = playerFiles(table);
    }
};

Frame replayTo(int run, double at) {
    Session s(run, at);
    EXPECT_FALSE((run == 1 ? s.first : s.second).programEnded);
    return shownFrame();
}

// The table as it opens; the golden one unless the golden files are being made.
Frame tableBase() {
    if (updating()) return replayTo(1, tableOpen);
    Frame base;
    decode(sandbox::readFile(goldenDir / "run1-table.rle"), base);
    return base;
}

TEST(Replay, Checkpoints) {
    const Frame base = tableBase();
    checkScreen("run1-table", replayTo(1, tableOpen));
    const struct {
        const char* name;
        int run;
        double at;
    } checkpoints[] = {
        {"run1-statistics", 1, 0.4},
        {"run1-bet", 1, firstRound + 0.15},
        {"run1-spin", 1, firstRound + 10},
        {"run1-round3", 1, firstRound + 2 * roundGap - 0.5},
        {"run1-croupier", 1, croupierSpinning},
        {"run2-statistics", 2, 0.4},
    };
    for (const auto& c : checkpoints) {
        SCOPED_TRACE(c.name);
        const Frame frame = replayTo(c.run, c.at);
        checkScreen(c.name, frame, &base);
        if (std::string(c.name) == "run1-croupier") {
            // Meant to catch the croupier at work; a drifting script misses him.
            EXPECT_EQ(screenreader::textAt(54, 5, 16), "Rien ne va plus!");
        }
    }
    if (updating()) GTEST_SKIP() << "golden screens written to " << goldenDir;
}

TEST(Replay, WholeSession) {
    const Frame base = tableBase();
    Session s(3, never);
    ASSERT_TRUE(s.first.programEnded);
    EXPECT_EQ(s.first.status, 0);
    ASSERT_TRUE(s.second.programEnded);
    EXPECT_EQ(s.second.status, 0);
    checkScreen("run1-end", s.firstEnd, &base);
    checkScreen("run2-end", shownFrame(), &base);
    checkFiles("run1", s.filesAfterFirst);
    checkFiles("run2", s.filesAfterSecond);
    checkText("boxes.txt", boxTranscript());

    // What the script is meant to play, so that a drifting script is noticed
    // even when the golden files are regenerated: three settled rounds, one
    // history line each, and no settlement in the second run.
    int wins = 0;
    for (const scripted::Box& b : scripted::boxes()) wins += b.text.rfind("Ihr Gewinn ist: ", 0) == 0;
    EXPECT_EQ(wins, 3);
    const std::string history = s.filesAfterFirst["Roulettezahlen.txt"];
    EXPECT_EQ(std::count(history.begin(), history.end(), '\n'), 3);
    EXPECT_EQ(s.filesAfterSecond["Roulettezahlen.txt"], history);
    if (updating()) GTEST_SKIP() << "golden files written to " << goldenDir;
}

}  // namespace
