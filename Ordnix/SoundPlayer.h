#pragma once

// The game's one voice: five sampled sounds played through SDL2 audio, one after another, with a count of the
// sounds still playing so that the game can wait for them.
//
// SDL2 is loaded with dlopen, and the output opened on a thread of its own, only when the first sound is
// played (or running() asks): a game that stays silent never loads SDL and the sound servers it brings,
// and the window never waits for them. A sound played while the output opens starts once it is open.
//
// API as the host uses it (all calls from the game thread except construction and destruction):
//   SoundPlayer()                  notes the sounds; they are decoded when first needed (call on the main thread,
//                                  once per host)
//   int64_t volume() const         the volume last stored, 0..7 (3 at start)
//   void setVolume(int64_t value)  clamps into 0..7, stores it; output gain becomes value / 7
//   void play(int64_t id)          queues the sound with that id behind any playing one; unknown ids do nothing
//   void stop()                    drops everything playing and queued; soundDone() is true afterwards
//   bool soundDone() const         pending() == 0
//   int64_t pending() const        sounds played and not yet finished (read under the player's lock)
//
// Invariants:
// - pending counts one per accepted play and one down per finished buffer; stop resets it to 0, drops the queue and
//   starts a new generation.
// - When no output device opens (or libSDL2 cannot be loaded), "Ordnix: no sound (<reason>)" goes once to syslog and
//   stderr; what was played meanwhile is dropped, play and stop then do nothing, pending stays 0 and the volume is
//   still stored.
// - Locks: `lock` guards pending, generation and the queue and is never held while calling SDL. The audio callback
//   runs under SDL's device lock and takes `lock` inside it; the reverse order never happens. `openLock` guards the
//   opening state only.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class SoundPlayer {
public:
    // Output format of every buffer and of the device: mono 32-bit float at this rate.
    static constexpr int outputRate = 22254;
    // Frames the device asks for per callback (about 23 ms).
    static constexpr int deviceFrames = 512;

    // A decoded, resampled sound ready for the output: one float per output frame.
    using Buffer = std::vector<float>;

    // Plays the sounds of `sounds` (id -> base64 text), decoded and resampled on first use; the default is the
    // embedded set.
    SoundPlayer();
    explicit SoundPlayer(const std::map<int64_t, std::string>& sounds);
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    void play(int64_t id);
    void stop();

    int64_t pending() const;
    bool soundDone() const;
    int64_t generation() const;

    int64_t volume() const;
    void setVolume(int64_t value);

    // Opens the output unless done already and waits for it: true when a device opened; otherwise the player is
    // silent.
    bool running();
    // The prepared buffer of a sound id, or null when it has none.
    std::shared_ptr<const Buffer> buffer(int64_t id) const;

    // Sound bytes (big-endian N, D at 0 and 2; unsigned 8-bit samples, 128 = silence, from byte 6 on) -> frames at
    // the output rate by nearest-lower sampling, full scale 0.8. None when the data is too short or yields no frame.
    static std::optional<Buffer> makeBuffer(std::span<const uint8_t> bytes);
    // Standard base64 with padding; none for any other text.
    static std::optional<std::vector<uint8_t>> decodeBase64(std::string_view text);

private:
    struct Scheduled {
        std::shared_ptr<const Buffer> samples;
        size_t position = 0;
    };
    enum class Output { closed, opening, open, failed };

    // The device callback (SDL_AudioCallback); it runs on SDL's audio thread under SDL's device lock.
    static void audioCallback(void* userdata, uint8_t* stream, int length);
    void render(float* out, size_t frames);
    // Starts opening the output on its own thread unless that has begun.
    void startOpening();
    void openDevice();

    // Decodes every sound once, on first use: a game that stays silent keeps no sample in memory.
    void decode() const;

    std::optional<std::map<int64_t, std::string>> givenSounds; // none: the embedded set
    mutable std::once_flag decoded;
    mutable std::map<int64_t, std::shared_ptr<const Buffer>> buffers;

    // Written by the opening thread before it reports `open` or `failed`, read after that.
    bool audioInitialised = false;
    uint32_t device = 0; // SDL_AudioDeviceID, 0 when no device opened

    std::mutex openLock;
    std::condition_variable opened;
    Output output = Output::closed;
    std::thread opener;

    mutable std::mutex lock;
    int64_t pendingCount = 0;
    int64_t currentGeneration = 0;
    bool silent = false; // no device opened: nothing is queued any more
    std::deque<Scheduled> queue;

    std::atomic<int64_t> storedVolume{3};
    std::atomic<float> gain{3.0f / 7.0f};
};
