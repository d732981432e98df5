// The player on SDL's headless audio drivers: counting, generations, the output itself, no device.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "SoundPlayer.h"
#include "Sounds.h"

namespace {

using Clock = std::chrono::steady_clock;

// An embedded sound as the device should play it at volume 7. Step = floor(N * 65536 / (D * 256, or 1
// when 0)) / 65536 samples per frame; frame i takes sample min(last, floor(i * step)); 128 is silence,
// full scale 0.8.
std::vector<double> resampledSound(int64_t id) {
    const std::vector<uint8_t> bytes = *SoundPlayer::decodeBase64(Sounds::base64().at(id));
    const uint64_t n = (uint64_t{bytes[0]} << 8) | bytes[1], d = (uint64_t{bytes[2]} << 8) | bytes[3];
    const uint64_t q = n * 65536 / std::max<uint64_t>(d * 256, 1);
    const size_t count = bytes.size() - 6;
    std::vector<double> frames(static_cast<size_t>(std::trunc(count / (q / 65536.0))));
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = (bytes[6 + std::min<size_t>(count - 1, i * q / 65536)] - 128) / 128.0 * 0.8;
    return frames;
}

TEST(DummyDriver, SoundsWithoutABufferDoNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // "AAEAAQAAAQ==" is 8 bytes, one short of a sound; the third is N 1, D 1 and three samples.
    SoundPlayer player(std::map<int64_t, std::string>{{1, "not base64!"}, {2, "AAEAAQAAAQ=="}, {3, "AAEAAQAAAAEC"}});
    ASSERT_TRUE(player.running());
    const int64_t generation = player.generation();
    for (int64_t id : {1, 2, 999, 3, 128})
        player.play(id);
    EXPECT_EQ(std::pair(player.pending(), player.generation()), std::pair(int64_t{1}, generation));
    // The one real sound ends, so the game's wait for it returns.
    for (const auto deadline = Clock::now() + std::chrono::seconds(60); !player.soundDone();
         std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        ASSERT_LT(Clock::now(), deadline) << "the sound never ended";
}

// The disk driver writes exactly what the callback produces, as raw native floats.
TEST(DiskDriver, StopDropsThePlayingAndTheQueuedSound) {
    const std::string path = ::testing::TempDir() + "ordnix-sound-" + std::to_string(getpid()) + ".raw";
    std::remove(path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1), setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "10", 1); // ms per 512-frame device buffer: about twice real time
    const auto written = [&] {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> raw{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::vector<float> samples(raw.size() / sizeof(float));
        std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
        return samples;
    };
    std::vector<double> expected = resampledSound(Sounds::building), tree = resampledSound(Sounds::tree);
    const size_t buildingFrames = expected.size();
    expected.insert(expected.end(), tree.begin(), tree.end());
    {
        SoundPlayer player;
        ASSERT_TRUE(player.running());
        player.setVolume(7), player.play(Sounds::building), player.play(Sounds::tree);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // how much has played does not matter
        player.stop();
        // Run long enough for both sounds to have ended, had they played; generous, as a loaded machine's
        // audio thread may be slow, never fast.
        const size_t atStop = written().size();
        for (const auto deadline = Clock::now() + std::chrono::seconds(60);
             written().size() <= atStop + expected.size() + 4096; std::this_thread::sleep_for(std::chrono::milliseconds(2)))
            ASSERT_LT(Clock::now(), deadline) << "the device stopped writing";
    }
    const std::vector<float> output = written();
    unsetenv("SDL_DISKAUDIOFILE"), unsetenv("SDL_DISKAUDIODELAY"), setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::remove(path.c_str());
    // Past the device's silence and the sound's own, frame for frame until the stop cut in.
    size_t start = 0, lead = 0, played = 0;
    while (start < output.size() && output[start] == 0.0f)
        ++start;
    while (lead < expected.size() && expected[lead] == 0.0)
        ++lead;
    ASSERT_GE(start, lead);
    start -= lead;
    while (start + played < output.size() && played < expected.size() &&
           std::abs(output[start + played] - expected[played]) <= 1e-6)
        ++played;
    EXPECT_LT(played, buildingFrames) << "the building played to its end";
    for (size_t i = start + played; i < output.size(); ++i)
        ASSERT_EQ(output[i], 0.0f) << "frame " << i << " sounds after stop; " << played << " frames matched";
}

TEST(NoDevice, ReportsOnceAndStaysSilentAndSafe) {
    setenv("SDL_AUDIODRIVER", "ordnix-no-such-driver", 1);
    ::testing::internal::CaptureStderr();
    {
        SoundPlayer player;
        EXPECT_FALSE(player.running());
        player.play(Sounds::cannon), player.stop(), player.play(Sounds::tree);
        EXPECT_EQ(player.pending(), 0);
    }
    const std::string errors = ::testing::internal::GetCapturedStderr(), message = "Ordnix: no sound (";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(errors.find(message), std::string::npos) << errors;
    EXPECT_EQ(errors.find(message, errors.find(message) + 1), std::string::npos) << "reported once: " << errors;
}

} // namespace
