// Decoding and resampling of the 8-bit sound format, and the embedded sound set.

#include "SoundPlayer.h"
#include "Sounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Full-scale output of one unsigned 8-bit sample: 128 is silence, the range maps onto +-0.8.
double level(uint8_t sample) {
    return (sample - 128) / 128.0 * 0.8;
}

std::vector<uint8_t> soundBytes(uint16_t n, uint16_t d, const std::vector<uint8_t>& fromByte6) {
    std::vector<uint8_t> bytes;
    bytes.reserve(6 + fromByte6.size());
    for (uint8_t b : {uint8_t(n >> 8), uint8_t(n & 0xFF), uint8_t(d >> 8), uint8_t(d & 0xFF), uint8_t(0xAA), uint8_t(0x55)})
        bytes.push_back(b);
    for (uint8_t b : fromByte6)
        bytes.push_back(b);
    return bytes;
}

TEST(MakeBuffer, FewerThanNineBytesGiveNoBuffer) {
    for (size_t size = 0; size < 9; ++size) {
        std::vector<uint8_t> bytes(size, 0x01);
        EXPECT_FALSE(SoundPlayer::makeBuffer(bytes).has_value()) << size << " bytes";
    }
}

TEST(MakeBuffer, NineBytesAtTheLowestRateStretchEachSampleOver256Frames) {
    // N = 1, D = 1: q = 65536 / 256 = 256, step 1/256, three samples -> 768 frames.
    const auto buffer = SoundPlayer::makeBuffer(soundBytes(1, 1, {0, 128, 255}));
    ASSERT_TRUE(buffer.has_value());
    ASSERT_EQ(buffer->size(), 768u);
    for (size_t i = 0; i < 768; ++i) {
        const uint8_t source = i < 256 ? 0 : i < 512 ? 128 : 255;
        ASSERT_FLOAT_EQ((*buffer)[i], static_cast<float>(level(source))) << "frame " << i;
    }
    // Full scale is 0.8, not 1.
    EXPECT_FLOAT_EQ(buffer->front(), -0.8f);
    EXPECT_FLOAT_EQ(buffer->back(), 0.79375f);
}

TEST(MakeBuffer, ZeroDenominatorUsesDivisorOneSoStepIsN) {
    std::vector<uint8_t> samples;
    for (uint8_t i = 0; i < 10; ++i)
        samples.push_back(static_cast<uint8_t>(100 + 7 * i));
    struct Case {
        uint16_t n;
        size_t frames;
    };
    for (const Case c : {Case{1, 10}, Case{2, 5}, Case{3, 3}, Case{10, 1}}) {
        const auto buffer = SoundPlayer::makeBuffer(soundBytes(c.n, 0, samples));
        ASSERT_TRUE(buffer.has_value()) << "N " << c.n;
        ASSERT_EQ(buffer->size(), c.frames) << "N " << c.n;
        for (size_t i = 0; i < c.frames; ++i)
            EXPECT_FLOAT_EQ((*buffer)[i], static_cast<float>(level(samples[i * c.n]))) << "N " << c.n << " frame " << i;
    }
    // A step longer than the whole sound leaves no frame.
    EXPECT_FALSE(SoundPlayer::makeBuffer(soundBytes(11, 0, samples)).has_value());
}

TEST(MakeBuffer, SamplesTheNearestLowerSourceSample) {
    // Rates of the stored sounds; the source index of frame i is floor(i * q / 65536) with
    // q = floor(N * 65536 / (D * 256)), capped at the last sample.
    std::vector<uint8_t> samples;
    for (int i = 0; i < 301; ++i)
        samples.push_back(static_cast<uint8_t>((i * 37 + 11) % 256));
    for (const auto& [n, d] : std::vector<std::pair<uint16_t, uint16_t>>{{122, 1}, {197, 4}, {302, 3}, {143, 2}}) {
        const uint64_t q = uint64_t{n} * 65536 / (uint64_t{d} * 256);
        const auto buffer = SoundPlayer::makeBuffer(soundBytes(n, d, samples));
        ASSERT_TRUE(buffer.has_value());
        const size_t frames = static_cast<size_t>(std::trunc(samples.size() / (q / 65536.0)));
        ASSERT_EQ(buffer->size(), frames) << "N " << n << " D " << d;
        for (size_t i = 0; i < frames; ++i) {
            const size_t k = std::min<size_t>(samples.size() - 1, i * q / 65536);
            ASSERT_FLOAT_EQ((*buffer)[i], static_cast<float>(level(samples[k]))) << "N " << n << " frame " << i;
        }
    }
}

TEST(MakeBuffer, ARateTooLowToStepGivesNoBuffer) {
    // N = 1, D = 65535: q = floor(65536 / 16776960) = 0, which would ask for endless frames.
    EXPECT_FALSE(SoundPlayer::makeBuffer(soundBytes(1, 65535, {1, 2, 3})).has_value());
}

TEST(Base64, DecodesThePaddedStandardAlphabetOnly) {
    using Bytes = std::vector<uint8_t>;
    EXPECT_EQ(SoundPlayer::decodeBase64(""), Bytes{});
    EXPECT_EQ(SoundPlayer::decodeBase64("TWFu"), (Bytes{'M', 'a', 'n'}));
    EXPECT_EQ(SoundPlayer::decodeBase64("TWE="), (Bytes{'M', 'a'}));
    EXPECT_EQ(SoundPlayer::decodeBase64("TQ=="), (Bytes{'M'}));
    EXPECT_EQ(SoundPlayer::decodeBase64("+/+/"), (Bytes{0xFB, 0xFF, 0xBF}));
    for (const char* bad : {"TWF", "TWFuT", "TW=u", "T===", "TW-_", "TWFu\n", "TQ==TWFu", "=TWF"})
        EXPECT_FALSE(SoundPlayer::decodeBase64(bad).has_value()) << bad;
}

struct TableRow {
    int64_t id;
    size_t characters;
    size_t bytes;
    uint16_t n;
    uint16_t d;
    size_t frames;
};

TEST(EmbeddedSounds, MatchTheirTableOfSizesRatesAndFrames) {
    const std::vector<TableRow> table{
        {Sounds::cannon, 8792, 6593, 122, 1, 13821},    {Sounds::ground, 5932, 4448, 197, 4, 23089},
        {Sounds::uhOh, 7788, 5841, 302, 3, 14839},      {Sounds::building, 14832, 11123, 143, 2, 39803},
        {Sounds::tree, 13132, 9848, 256, 4, 39368},
    };
    const auto& texts = Sounds::base64();
    ASSERT_EQ(texts.size(), table.size());
    for (const TableRow& row : table) {
        ASSERT_TRUE(texts.contains(row.id)) << row.id;
        const std::string& text = texts.at(row.id);
        EXPECT_EQ(text.size(), row.characters) << row.id;
        const auto bytes = SoundPlayer::decodeBase64(text);
        ASSERT_TRUE(bytes.has_value()) << row.id;
        ASSERT_EQ(bytes->size(), row.bytes) << row.id;
        const auto& b = *bytes;
        EXPECT_EQ((b[0] << 8) | b[1], row.n) << row.id;
        EXPECT_EQ((b[2] << 8) | b[3], row.d) << row.id;
        const uint32_t following = (uint32_t{b[4]} << 24) | (uint32_t{b[5]} << 16) | (uint32_t{b[6]} << 8) | b[7];
        EXPECT_EQ(following, row.bytes - 8) << row.id;
        const auto buffer = SoundPlayer::makeBuffer(b);
        ASSERT_TRUE(buffer.has_value()) << row.id;
        EXPECT_EQ(buffer->size(), row.frames) << row.id;
    }
}

TEST(EmbeddedSounds, AreAudibleAndEndInSilence) {
    for (const auto& [id, text] : Sounds::base64()) {
        const auto bytes = SoundPlayer::decodeBase64(text);
        ASSERT_TRUE(bytes.has_value());
        uint8_t low = 255, high = 0;
        for (size_t i = 8; i < bytes->size(); ++i) {
            low = std::min(low, (*bytes)[i]);
            high = std::max(high, (*bytes)[i]);
        }
        // Loud enough to be heard at the game's volumes, and no click when the sound stops.
        EXPECT_GE(high - low, 160) << id;
        EXPECT_NEAR(bytes->back(), 128, 2) << id;
    }
}

} // namespace
