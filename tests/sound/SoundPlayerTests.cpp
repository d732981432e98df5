// The player on SDL's headless audio drivers: counting, generations, volume, the bytes that reach the output, and a
// missing device.

#include "SoundPlayer.h"
#include "Sounds.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Generous: the audio thread of a loaded machine may be slow, never fast.
constexpr auto timeout = std::chrono::seconds(60);

bool waitUntil(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds of output a sound lasts: its frames at the output rate.
double durationOf(int64_t id) {
    const auto bytes = SoundPlayer::decodeBase64(Sounds::base64().at(id));
    return static_cast<double>(SoundPlayer::makeBuffer(*bytes)->size()) / SoundPlayer::outputRate;
}

class DummyDriver : public ::testing::Test {
protected:
    void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST_F(DummyDriver, StartsAtVolumeThreeAndClampsStoredVolumes) {
    SoundPlayer player;
    ASSERT_TRUE(player.running());
    EXPECT_EQ(player.volume(), 3);
    struct Case {
        int64_t written;
        int64_t read;
    };
    for (const Case c : {Case{9, 7}, Case{-2, 0}, Case{10, 7}, Case{5, 5}, Case{0, 0}, Case{7, 7}}) {
        player.setVolume(c.written);
        EXPECT_EQ(player.volume(), c.read) << "written " << c.written;
    }
}

TEST_F(DummyDriver, TwoCannonShotsPlayOneAfterTheOther) {
    SoundPlayer player;
    ASSERT_TRUE(player.running());
    EXPECT_TRUE(player.soundDone());
    const auto start = Clock::now();
    player.play(Sounds::cannon);
    player.play(Sounds::cannon);
    EXPECT_EQ(player.pending(), 2);
    EXPECT_FALSE(player.soundDone());
    ASSERT_TRUE(waitUntil([&] { return player.soundDone(); }));
    // Two cannon sounds one after another last 2 x 13821 frames, about 1.24 s: never less than a second.
    EXPECT_GE(secondsSince(start), 1.0);
    EXPECT_EQ(player.pending(), 0);
}

TEST_F(DummyDriver, StopWithNothingPendingOnlyStartsANewGeneration) {
    SoundPlayer player;
    ASSERT_TRUE(player.running());
    const int64_t before = player.generation();
    player.stop();
    EXPECT_EQ(player.generation(), before + 1);
    EXPECT_EQ(player.pending(), 0);
    EXPECT_TRUE(player.running());
    // Still playing: the next sound is counted and finishes.
    player.play(Sounds::uhOh);
    EXPECT_EQ(player.pending(), 1);
    EXPECT_TRUE(waitUntil([&] { return player.soundDone(); }));
}

TEST_F(DummyDriver, CompletionsOfStoppedSoundsChangeNothing) {
    SoundPlayer player;
    ASSERT_TRUE(player.running());
    player.play(Sounds::building);
    player.play(Sounds::tree);
    const int64_t before = player.generation();
    player.stop();
    EXPECT_EQ(player.generation(), before + 1);
    EXPECT_TRUE(player.soundDone());

    // The two dropped buffers still report completion; only the new sound may bring the count down, and only when
    // it has played whole.
    const auto start = Clock::now();
    player.play(Sounds::uhOh);
    EXPECT_EQ(player.pending(), 1);
    int64_t lowest = 1;
    ASSERT_TRUE(waitUntil([&] {
        const int64_t now = player.pending();
        lowest = std::min(lowest, now);
        return now <= 0;
    }));
    EXPECT_GE(lowest, 0);
    EXPECT_GE(secondsSince(start), durationOf(Sounds::uhOh) - 0.1);
}

TEST_F(DummyDriver, SoundIdsWithoutDataDoNothing) {
    SoundPlayer player;
    ASSERT_TRUE(player.running());
    const int64_t generation = player.generation();
    player.play(999);
    EXPECT_TRUE(player.soundDone());
    player.play(Sounds::ground);
    player.play(999);
    player.play(127);
    EXPECT_EQ(player.pending(), 1);
    EXPECT_EQ(player.generation(), generation);
}

TEST_F(DummyDriver, UndecodableOrTooShortSoundsHaveNoBuffer) {
    // "AAEAAQAAAQ==" is 8 bytes: N 1, D 1 and two samples, one byte short of a sound.
    const std::map<int64_t, std::string> sounds{{1, "not base64!"}, {2, "AAEAAQAAAQ=="}, {3, "AAEAAQAAAAEC"}};
    SoundPlayer player(sounds);
    ASSERT_TRUE(player.running());
    EXPECT_EQ(player.buffer(1), nullptr);
    EXPECT_EQ(player.buffer(2), nullptr);
    ASSERT_NE(player.buffer(3), nullptr);
    EXPECT_EQ(player.buffer(3)->size(), 768u);
    player.play(1);
    player.play(2);
    EXPECT_TRUE(player.soundDone());
    player.play(3);
    EXPECT_EQ(player.pending(), 1);
}

// The disk driver writes exactly what the callback produces, as raw native floats.
class DiskDriver : public ::testing::Test {
protected:
    void SetUp() override {
        path = ::testing::TempDir() + "ordnix-sound-" + std::to_string(getpid()) + ".raw";
        std::remove(path.c_str());
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        // Milliseconds per device buffer of 512 frames: about four times faster than real time.
        setenv("SDL_DISKAUDIODELAY", "5", 1);
    }
    void TearDown() override {
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::remove(path.c_str());
    }
    std::vector<float> written() const {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> raw{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::vector<float> samples(raw.size() / sizeof(float));
        std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
        return samples;
    }
    std::string path;
};

// The sound resampled by the documented rule, times volume / 7.
std::vector<double> expectedOutput(int64_t id, int64_t volume) {
    const auto bytes = *SoundPlayer::decodeBase64(Sounds::base64().at(id));
    const uint64_t n = (bytes[0] << 8) | bytes[1], d = (bytes[2] << 8) | bytes[3];
    const uint64_t q = n * 65536 / (d * 256);
    const size_t count = bytes.size() - 6;
    const auto frames = static_cast<size_t>(static_cast<double>(count) / (q / 65536.0));
    std::vector<double> out;
    for (size_t i = 0; i < frames; ++i) {
        const size_t k = std::min<size_t>(count - 1, i * q / 65536);
        out.push_back((bytes[6 + k] - 128) / 128.0 * 0.8 * volume / 7.0);
    }
    return out;
}

size_t firstSound(const std::vector<double>& samples) {
    size_t i = 0;
    while (i < samples.size() && samples[i] == 0.0)
        ++i;
    return i;
}

// Finds `expected` in `output` at or after `from` (silence before it is skipped) and returns the index past it.
size_t expectSegment(const std::vector<float>& output, size_t from, const std::vector<double>& expected,
                     const char* what) {
    size_t heard = from;
    while (heard < output.size() && output[heard] == 0.0f)
        ++heard;
    const size_t lead = firstSound(expected);
    EXPECT_GE(heard, from + lead) << what;
    const size_t start = heard - lead;
    EXPECT_LE(start + expected.size(), output.size()) << what;
    size_t mismatches = 0;
    for (size_t i = 0; i < expected.size() && start + i < output.size(); ++i) {
        if (std::abs(output[start + i] - expected[i]) > 1e-6 && mismatches++ < 5)
            ADD_FAILURE() << what << ": frame " << i << " wrote " << output[start + i] << ", expected " << expected[i];
    }
    EXPECT_EQ(mismatches, 0u) << what;
    return start + expected.size();
}

TEST_F(DiskDriver, WritesTheResampledSoundsTimesTheVolumeInOrder) {
    {
        SoundPlayer player;
        ASSERT_TRUE(player.running());
        player.setVolume(7);
        player.play(Sounds::cannon);
        player.play(Sounds::uhOh);
        ASSERT_TRUE(waitUntil([&] { return player.soundDone(); }));
        player.setVolume(2);
        player.play(Sounds::tree);
        ASSERT_TRUE(waitUntil([&] { return player.soundDone(); }));
    } // closing the device flushes and closes the file

    const std::vector<float> output = written();
    // The two sounds played back to back, with nothing between them, at full volume.
    std::vector<double> first = expectedOutput(Sounds::cannon, 7);
    const std::vector<double> second = expectedOutput(Sounds::uhOh, 7);
    first.insert(first.end(), second.begin(), second.end());
    const size_t end = expectSegment(output, 0, first, "cannon then uh-oh at volume 7");
    const size_t after = expectSegment(output, end, expectedOutput(Sounds::tree, 2), "tree at volume 2");
    for (size_t i = after; i < output.size(); ++i)
        ASSERT_EQ(output[i], 0.0f) << "frame " << i << " after the last sound";
}

TEST_F(DiskDriver, StopDropsThePlayingAndTheQueuedSound) {
    setenv("SDL_DISKAUDIODELAY", "10", 1);
    std::vector<double> expected = expectedOutput(Sounds::building, 7);
    const std::vector<double> tree = expectedOutput(Sounds::tree, 7);
    expected.insert(expected.end(), tree.begin(), tree.end());
    {
        SoundPlayer player;
        ASSERT_TRUE(player.running());
        player.setVolume(7);
        player.play(Sounds::building);
        player.play(Sounds::tree);
        // Part of the building has usually been played by now; how much does not matter.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        player.stop();
        EXPECT_TRUE(player.soundDone());
        // Run the device long enough to have played both sounds whole had they not been dropped.
        const size_t atStop = written().size();
        ASSERT_TRUE(waitUntil([&] { return written().size() > atStop + expected.size() + 4096; }));
    }
    const std::vector<float> output = written();
    // The output is silence, then a prefix of the building's sound, then silence to the end.
    size_t heard = 0;
    while (heard < output.size() && output[heard] == 0.0f)
        ++heard;
    const size_t start = heard >= firstSound(expected) ? heard - firstSound(expected) : 0;
    size_t played = 0;
    while (played < expected.size() && start + played < output.size() &&
           std::abs(output[start + played] - expected[played]) <= 1e-6)
        ++played;
    EXPECT_LT(played, expected.size() - tree.size()) << "the building played to its end";
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
        EXPECT_TRUE(player.soundDone());
        EXPECT_EQ(player.pending(), 0);
        player.stop();
        player.play(Sounds::tree);
        EXPECT_TRUE(player.soundDone());
        player.setVolume(5);
        EXPECT_EQ(player.volume(), 5);
    }
    const std::string errors = ::testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string message = "Ordnix: no sound (";
    const size_t at = errors.find(message);
    ASSERT_NE(at, std::string::npos) << errors;
    EXPECT_EQ(errors.find(message, at + 1), std::string::npos) << errors;
    const size_t lineEnd = errors.find('\n', at);
    ASSERT_NE(lineEnd, std::string::npos);
    // A reason is given inside the parentheses.
    EXPECT_GT(lineEnd, at + message.size() + 1);
    EXPECT_EQ(errors[lineEnd - 1], ')');
}

} // namespace
