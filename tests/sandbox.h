#pragma once
// A fresh machine for one test: the scripted platform reset, a temporary
// current directory and player directory, and the services forgotten.
#include <filesystem>
#include <string>

namespace sandbox {

class Sandbox {
public:
    // withLayout: copy the shipped "Button.txt" into the current directory.
    explicit Sandbox(bool withLayout = true);
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::filesystem::path dir() const { return dir_; }
    // The player's directory ("c:\Windows\" of the game).
    std::filesystem::path playerDir() const;

private:
    std::filesystem::path dir_;
    std::filesystem::path oldCwd_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);
bool exists(const std::filesystem::path& path);

// How a run of the program ended.
struct RunEnd {
    bool programEnded = false;  // svc::endProgram (otherwise the script's time ran out)
    int status = -1;
};
// Runs the whole program (game::run) until it ends or the clock passes stopAt.
RunEnd runGame(double stopAt);

// Where the shipped data lies (pictures, layout).
std::filesystem::path dataDir();

}  // namespace sandbox
