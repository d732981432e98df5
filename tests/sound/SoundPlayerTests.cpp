// The player on SDL's headless audio drivers: counting, generations, volume, the output itself, no device.
#include "SoundTest.h"

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Generous: the audio thread of a loaded machine may be slow, never fast.
bool waitUntil(const std::function<bool()>& condition) {
    for (const auto deadline = Clock::now() + std::chrono::seconds(60); !condition();
         std::this_thread::sleep_for(std::chrono::milliseconds(2)))
        if (Clock::now() > deadline)
            return false;
    return true;
}

struct DummyDriver : ::testing::Test {
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST_F(DummyDriver, SoundsWithoutABufferDoNothing) {
    // "AAEAAQAAAQ==" is 8 bytes, one short of a sound; the third is N 1, D 1 and three samples.
    SoundPlayer player(std::map<int64_t, std::string>{{1, "not base64!"}, {2, "AAEAAQAAAQ=="}, {3, "AAEAAQAAAAEC"}});
    ASSERT_TRUE(player.running());
    EXPECT_TRUE(player.buffer(1) == nullptr && player.buffer(2) == nullptr);
    ASSERT_NE(player.buffer(3), nullptr);
    const int64_t generation = player.generation();
    for (int64_t id : {1, 2, 999, 3, 128})
        player.play(id);
    EXPECT_EQ(std::pair(player.pending(), player.generation()), std::pair(int64_t{1}, generation));
}

// The disk driver writes exactly what the callback produces, as raw native floats.
struct DiskDriver : ::testing::Test {
    std::string path = ::testing::TempDir() + "ordnix-sound-" + std::to_string(getpid()) + ".raw";
    void SetUp() override {
        std::remove(path.c_str());
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "5", 1); // ms per 512-frame device buffer: about four times real time
    }
    void TearDown() override {
        unsetenv("SDL_DISKAUDIOFILE"), unsetenv("SDL_DISKAUDIODELAY"), setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::remove(path.c_str());
    }
    std::vector<float> written() const {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> raw{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::vector<float> samples(raw.size() / sizeof(float));
        std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
        return samples;
    }
};

// Where `expected` starts in `output` at or after `from`, skipping the device's silence and the sound's own.
size_t startOf(const std::vector<float>& output, size_t from, const std::vector<double>& expected) {
    size_t heard = from, lead = 0;
    while (heard < output.size() && output[heard] == 0.0f)
        ++heard;
    while (lead < expected.size() && expected[lead] == 0.0)
        ++lead;
    EXPECT_GE(heard, from + lead);
    return heard - lead;
}

TEST_F(DiskDriver, StopDropsThePlayingAndTheQueuedSound) {
    setenv("SDL_DISKAUDIODELAY", "10", 1);
    std::vector<double> expected = resampledSound(Sounds::building), tree = resampledSound(Sounds::tree);
    const size_t buildingFrames = expected.size();
    expected.insert(expected.end(), tree.begin(), tree.end());
    {
        SoundPlayer player;
        ASSERT_TRUE(player.running());
        player.setVolume(7);
        player.play(Sounds::building);
        player.play(Sounds::tree);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // how much has played does not matter
        player.stop();
        const size_t atStop = written().size(); // run long enough for both sounds to have ended, had they played
        ASSERT_TRUE(waitUntil([&] { return written().size() > atStop + expected.size() + 4096; }));
    }
    const std::vector<float> output = written();
    const size_t start = startOf(output, 0, expected);
    size_t played = 0;
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
        player.play(Sounds::cannon);
        player.stop();
        player.play(Sounds::tree);
        EXPECT_EQ(player.pending(), 0);
        player.setVolume(5);
        EXPECT_EQ(player.volume(), 5) << "the volume is still stored";
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string message = "Ordnix: no sound (";
    const size_t at = errors.find(message), lineEnd = errors.find('\n', at);
    ASSERT_NE(at, std::string::npos) << errors;
    EXPECT_EQ(errors.find(message, at + 1), std::string::npos) << "reported once: " << errors;
    ASSERT_NE(lineEnd, std::string::npos);
    EXPECT_GT(lineEnd, at + message.size() + 1) << "a reason is given";
    EXPECT_EQ(errors[lineEnd - 1], ')');
}

} // namespace
