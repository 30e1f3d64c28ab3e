#include "sandbox.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "flow.h"
#include "host.h"
#include "input.h"
#include "random.h"
#include "records.h"
#include "screen.h"
#include "scripted.h"

namespace sandbox {

namespace fs = std::filesystem;

fs::path dataDir() {
    return fs::path(ROTANDOR_SOURCE_DIR) / "data";
}

Sandbox::Sandbox(bool withLayout) {
    dir_ = host::makeTemporaryDirectory();
    oldCwd_ = fs::current_path();
    fs::current_path(dir_);
    host::setPlayerBase((dir_ / "data").string());
    scripted::reset();
    scripted::setProgramDirectory(dataDir().string());
    scripted::setPlayerDirectory(playerDir().string());
    svc::closeAllFiles();
    svc::resetScreen();
    svc::resetInput();
    svc::resetRandom();
    if (withLayout) fs::copy_file(dataDir() / "Button.txt", dir_ / "Button.txt");
}

fs::path Sandbox::playerDir() const {
    return dir_ / "data" / host::playerFolder();
}

Sandbox::~Sandbox() {
    svc::closeAllFiles();
    svc::resetScreen();
    fs::current_path(oldCwd_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool exists(const fs::path& path) {
    return fs::exists(path);
}

RunEnd runGame(double stopAt) {
    RunEnd end;
    scripted::stopAt(stopAt);
    try {
        game::run();
    } catch (const scripted::ProgramEnded& e) {
        end.programEnded = true;
        end.status = e.status;
    } catch (const scripted::ScriptEnded&) {
    }
    scripted::stopAt(-1);
    return end;
}

}  // namespace sandbox
