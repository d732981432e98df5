#include "SoundPlayer.h"

#include "Sounds.h"

#include <SDL.h>
#include <dlfcn.h>
#include <syslog.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <string>
#include <type_traits>

static_assert(std::is_same_v<SDL_AudioDeviceID, uint32_t>);

namespace {

void reportNoSound(const char* reason) {
    std::fprintf(stderr, "Ordnix: no sound (%s)\n", reason);
    std::fflush(stderr);
    syslog(LOG_WARNING, "Ordnix: no sound (%s)", reason);
}

// The few SDL calls the player makes, found in libSDL2 at run time. SDL's header supplies the types
// only; the program does not link SDL.
struct Sdl {
    decltype(&SDL_GetError) getError = nullptr;
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) openAudioDevice = nullptr;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice = nullptr;
    // Frees what SDL keeps for the calling thread (SDL 2.0.16 on; null before).
    decltype(&SDL_TLSCleanup) tlsCleanup = nullptr;
    // Why the library is unusable; empty when it loaded.
    std::string failure;
};

template <typename Function>
bool find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Loaded once and never unloaded: SDL's threads and the sound servers' libraries outlive any player.
const Sdl& sdl() {
    static const Sdl loaded = [] {
        Sdl result;
        void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* error = dlerror();
            result.failure = error ? error : "libSDL2-2.0.so.0 cannot be loaded";
            return result;
        }
        if (!(find(library, "SDL_GetError", result.getError) && find(library, "SDL_SetHint", result.setHint) &&
              find(library, "SDL_InitSubSystem", result.initSubSystem) &&
              find(library, "SDL_QuitSubSystem", result.quitSubSystem) &&
              find(library, "SDL_OpenAudioDevice", result.openAudioDevice) &&
              find(library, "SDL_PauseAudioDevice", result.pauseAudioDevice) &&
              find(library, "SDL_CloseAudioDevice", result.closeAudioDevice))) {
            result.failure = "libSDL2-2.0.so.0 lacks the audio functions";
            return result;
        }
        find(library, "SDL_TLSCleanup", result.tlsCleanup);
        // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads, and the game could not
        // be stopped from a terminal.
        result.setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        return result;
    }();
    return loaded;
}

constexpr std::array<int8_t, 256> base64Values() {
    std::array<int8_t, 256> values{};
    values.fill(-1);
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t i = 0; i < alphabet.size(); ++i)
        values[static_cast<unsigned char>(alphabet[i])] = static_cast<int8_t>(i);
    return values;
}

} // namespace

SoundPlayer::SoundPlayer() = default;

SoundPlayer::SoundPlayer(const std::map<int64_t, std::string>& sounds) : givenSounds(sounds) {}

void SoundPlayer::decode() const {
    std::call_once(decoded, [this] {
        for (const auto& [id, text] : givenSounds ? *givenSounds : Sounds::base64()) {
            auto bytes = decodeBase64(text);
            if (!bytes)
                continue;
            if (auto samples = makeBuffer(*bytes))
                buffers[id] = std::make_shared<const Buffer>(std::move(*samples));
        }
    });
}

SoundPlayer::~SoundPlayer() {
    if (opener.joinable())
        opener.join();
    // Closing waits for the audio thread, so no callback can reach this object afterwards.
    if (device != 0)
        sdl().closeAudioDevice(device);
    if (audioInitialised)
        sdl().quitSubSystem(SDL_INIT_AUDIO);
}

bool SoundPlayer::running() {
    startOpening();
    std::unique_lock guard(openLock);
    opened.wait(guard, [this] { return output == Output::open || output == Output::failed; });
    return output == Output::open;
}

void SoundPlayer::startOpening() {
    {
        std::lock_guard guard(openLock);
        if (output != Output::closed)
            return;
        output = Output::opening;
    }
    opener = std::thread([this] {
        openDevice();
        // The thread ends here; SDL's memory for it (its error text) would be lost.
        if (sdl().tlsCleanup)
            sdl().tlsCleanup();
    });
}

void SoundPlayer::openDevice() {
    const auto finish = [this](Output state) {
        if (state == Output::failed) {
            std::lock_guard guard(lock);
            silent = true;
            pendingCount = 0;
            queue.clear();
        }
        {
            std::lock_guard guard(openLock);
            output = state;
        }
        opened.notify_all();
    };
    const Sdl& library = sdl();
    if (!library.failure.empty()) {
        reportNoSound(library.failure.c_str());
        return finish(Output::failed);
    }
    if (library.initSubSystem(SDL_INIT_AUDIO) != 0) {
        reportNoSound(library.getError());
        return finish(Output::failed);
    }
    audioInitialised = true;

    SDL_AudioSpec wanted{};
    wanted.freq = outputRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 1;
    wanted.samples = deviceFrames;
    wanted.callback = &SoundPlayer::audioCallback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts to whatever the hardware wants, so the callback always sees this format.
    device = library.openAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        reportNoSound(library.getError());
        library.quitSubSystem(SDL_INIT_AUDIO);
        audioInitialised = false;
        return finish(Output::failed);
    }
    library.pauseAudioDevice(device, 0);
    finish(Output::open);
}

std::optional<SoundPlayer::Buffer> SoundPlayer::makeBuffer(std::span<const uint8_t> bytes) {
    if (bytes.size() < 9)
        return std::nullopt;
    const uint32_t numerator = (uint32_t{bytes[0]} << 8) | bytes[1];
    const uint32_t denominator = (uint32_t{bytes[2]} << 8) | bytes[3];
    uint32_t divisor = denominator << 8;
    if (divisor == 0)
        divisor = 1;
    const uint32_t q = (numerator << 16) / divisor;
    // A rate so low that the step rounds to 0 would ask for endless frames.
    if (q == 0)
        return std::nullopt;
    const double step = q / 65536.0;

    const auto samples = bytes.subspan(6);
    const double frameCount = std::trunc(static_cast<double>(samples.size()) / step);
    if (frameCount < 1.0 || frameCount > double{std::numeric_limits<uint32_t>::max()})
        return std::nullopt;
    const auto frames = static_cast<size_t>(frameCount);

    Buffer buffer;
    try {
        buffer.resize(frames);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const size_t last = samples.size() - 1;
    double position = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const size_t k = std::min(last, static_cast<size_t>(position));
        buffer[i] = static_cast<float>((int{samples[k]} - 128) * 0.0078125 * 0.8);
        position += step;
    }
    return buffer;
}

std::optional<std::vector<uint8_t>> SoundPlayer::decodeBase64(std::string_view text) {
    static constexpr auto values = base64Values();
    if (text.size() % 4 != 0)
        return std::nullopt;
    size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text[text.size() - 2] == '=' ? 2 : 1;

    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool lastGroup = i + 4 == text.size();
        const size_t digits = lastGroup ? 4 - padding : 4;
        uint32_t group = 0;
        for (size_t j = 0; j < 4; ++j) {
            int value = 0;
            if (j < digits) {
                value = values[static_cast<unsigned char>(text[i + j])];
                if (value < 0)
                    return std::nullopt;
            }
            group = (group << 6) | static_cast<uint32_t>(value);
        }
        bytes.push_back(static_cast<uint8_t>(group >> 16));
        if (digits > 2)
            bytes.push_back(static_cast<uint8_t>(group >> 8));
        if (digits > 3)
            bytes.push_back(static_cast<uint8_t>(group));
    }
    return bytes;
}

void SoundPlayer::play(int64_t id) {
    decode();
    const auto found = buffers.find(id);
    if (found == buffers.end())
        return;
    startOpening();
    std::lock_guard guard(lock);
    if (silent)
        return;
    ++pendingCount;
    queue.push_back(Scheduled{found->second, 0});
}

void SoundPlayer::stop() {
    std::lock_guard guard(lock);
    ++currentGeneration;
    pendingCount = 0;
    queue.clear();
}

int64_t SoundPlayer::pending() const {
    std::lock_guard guard(lock);
    return pendingCount;
}

bool SoundPlayer::soundDone() const {
    return pending() == 0;
}

int64_t SoundPlayer::generation() const {
    std::lock_guard guard(lock);
    return currentGeneration;
}

int64_t SoundPlayer::volume() const {
    return storedVolume.load();
}

void SoundPlayer::setVolume(int64_t value) {
    const int64_t clamped = std::clamp<int64_t>(value, 0, 7);
    storedVolume.store(clamped);
    gain.store(static_cast<float>(clamped) / 7.0f);
}

std::shared_ptr<const SoundPlayer::Buffer> SoundPlayer::buffer(int64_t id) const {
    decode();
    const auto found = buffers.find(id);
    return found == buffers.end() ? nullptr : found->second;
}

void SoundPlayer::audioCallback(void* userdata, uint8_t* stream, int length) {
    auto* player = static_cast<SoundPlayer*>(userdata);
    player->render(reinterpret_cast<float*>(stream), static_cast<size_t>(length) / sizeof(float));
}

void SoundPlayer::render(float* out, size_t frames) {
    const float volumeGain = gain.load();
    size_t written = 0;
    {
        std::lock_guard guard(lock);
        while (written < frames && !queue.empty()) {
            Scheduled& current = queue.front();
            const Buffer& samples = *current.samples;
            const size_t count = std::min(frames - written, samples.size() - current.position);
            for (size_t i = 0; i < count; ++i)
                out[written + i] = samples[current.position + i] * volumeGain;
            written += count;
            current.position += count;
            if (current.position == samples.size()) {
                queue.pop_front();
                --pendingCount;
            }
        }
    }
    std::fill(out + written, out + frames, 0.0f);
}
