// Message boxes, the locale they need, and the end of the program.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <langinfo.h>

#include "codepages.h"
#include "platform.h"
#include "sdl_shared.h"

namespace {

// Whether the locale the environment names exists and encodes UTF-8; a
// UTF-8 name of a locale that is not installed falls back to "C".
bool environmentLocaleIsUtf8() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}

}  // namespace

// The X11 message box takes its locale from the environment and cuts its
// text at the first non-ASCII character unless that locale is UTF-8; the
// game's boxes carry the euro sign and umlauts.
void sdl::ensureUtf8Locale() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!environmentLocaleIsUtf8()) setenv("LC_ALL", "C.UTF-8", 1);
}

namespace platform {

void messageBox(const std::string& caption, const std::string& text) {
    sdl::ensureUtf8Locale();
    const std::string utf8Caption = codepage::cp1252ToUtf8(caption);
    const std::string utf8Text = codepage::crLfToLf(codepage::cp1252ToUtf8(text));
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, utf8Caption.c_str(), utf8Text.c_str(), nullptr) != 0) {
        // No box could be shown: the message must still reach the player.
        std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
    }
    sdl::followBoxReleases();
}

void exitProcess(int status) {
    sdl::destroyWindow();
    sdl::closeSound();
    if (sdl::videoReady) SDL_Quit();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace platform
