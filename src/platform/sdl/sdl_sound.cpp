// The beep: a short tone on the default sound device.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "platform.h"
#include "sdl_shared.h"

namespace {

// Audio is opened when the first beep is wanted, and only once.
bool audioTried = false;
SDL_AudioDeviceID audio = 0;
std::vector<std::int16_t> tone;

}  // namespace

void sdl::closeSound() {
    if (audio != 0) SDL_CloseAudioDevice(audio);
}

namespace platform {

// The desktop's keyboard is always there.
void lineEntry(bool, int, int) {}

void beep() {
    if (!audioTried) {
        audioTried = true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
        // With no device listed, opening the default one only makes the
        // sound library complain on stderr.
        if (SDL_GetNumAudioDevices(0) == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
        SDL_AudioSpec want{};
        want.freq = 22050;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 512;
        SDL_AudioSpec have{};
        audio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (audio == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
        // 800 Hz for 120 ms, faded in and out over 5 ms so that it does not click.
        const int samples = want.freq * 120 / 1000, fade = want.freq * 5 / 1000;
        tone.resize(static_cast<std::size_t>(samples));
        for (int i = 0; i < samples; i++) {
            const double envelope =
                std::min({1.0, static_cast<double>(i) / fade, static_cast<double>(samples - 1 - i) / fade});
            tone[static_cast<std::size_t>(i)] =
                static_cast<std::int16_t>(8000 * envelope * std::sin(2 * std::numbers::pi * 800 * i / want.freq));
        }
        SDL_PauseAudioDevice(audio, 0);
    }
    if (audio == 0) return;
    // Beeps in a row do not pile up.
    SDL_ClearQueuedAudio(audio);
    SDL_QueueAudio(audio, tone.data(), static_cast<Uint32>(tone.size() * sizeof(std::int16_t)));
}

}  // namespace platform
