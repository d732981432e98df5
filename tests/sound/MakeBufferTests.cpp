// Decoding and resampling of the 8-bit sound format, and the embedded sound set.
#include "SoundTest.h"

#include <string>

namespace {

TEST(MakeBuffer, TakesTheNearestLowerSampleAtFullScaleEightTenths) {
    std::vector<uint8_t> ten, many;
    for (int i = 0; i < 10; ++i)
        ten.push_back(static_cast<uint8_t>(100 + 7 * i));
    for (int i = 0; i < 301; ++i)
        many.push_back(static_cast<uint8_t>((i * 37 + 11) % 256));
    const std::vector<uint8_t> three{0, 128, 255};
    const std::tuple<uint16_t, uint16_t, const std::vector<uint8_t>*, size_t> cases[] = { // N, D, samples, frames
        {1, 1, &three, 768}, // q = 256: each sample lasts 256 frames
        {1, 0, &ten, 10},    {2, 0, &ten, 5},     {3, 0, &ten, 3},     {10, 0, &ten, 1}, // D = 0: divisor 1
        {122, 1, &many, 631}, {197, 4, &many, 1564}, {302, 3, &many, 765}, {143, 2, &many, 1077},
    };
    for (const auto& [n, d, samples, frames] : cases) {
        const std::string what = "N " + std::to_string(n) + " D " + std::to_string(d);
        const std::vector<uint8_t> bytes = soundBytes(n, d, *samples);
        const auto buffer = SoundPlayer::makeBuffer(bytes);
        ASSERT_TRUE(buffer.has_value()) << what;
        EXPECT_EQ(buffer->size(), frames) << what;
        expectFrames(*buffer, 0, resampled(bytes), what.c_str());
    }
    const auto lowest = SoundPlayer::makeBuffer(soundBytes(1, 1, three));
    ASSERT_TRUE(lowest.has_value());
    EXPECT_FLOAT_EQ(lowest->front(), -0.8f);
    EXPECT_FLOAT_EQ((*lowest)[256], 0.0f);
    EXPECT_FLOAT_EQ(lowest->back(), 0.79375f);
}

TEST(EmbeddedSounds, MatchTheirTableAndAreAudibleEndingInSilence) {
    struct Row {
        int64_t id;
        size_t characters, bytes;
        uint16_t n, d;
        size_t frames;
    };
    const Row table[] = {
        {Sounds::cannon, 8792, 6593, 122, 1, 13821},     {Sounds::ground, 5932, 4448, 197, 4, 23089},
        {Sounds::uhOh, 7788, 5841, 302, 3, 14839},       {Sounds::building, 14832, 11123, 143, 2, 39803},
        {Sounds::tree, 13132, 9848, 256, 4, 39368},
    };
    ASSERT_EQ(Sounds::base64().size(), std::size(table));
    for (const Row& row : table) {
        SCOPED_TRACE(::testing::Message() << "sound " << row.id);
        const std::string& text = Sounds::base64().at(row.id);
        EXPECT_EQ(text.size(), row.characters);
        const auto bytes = SoundPlayer::decodeBase64(text);
        ASSERT_TRUE(bytes.has_value());
        ASSERT_EQ(bytes->size(), row.bytes);
        const auto& b = *bytes;
        const uint32_t following = (uint32_t{b[4]} << 24) | (uint32_t{b[5]} << 16) | (uint32_t{b[6]} << 8) | b[7];
        EXPECT_EQ(std::tuple((b[0] << 8) | b[1], (b[2] << 8) | b[3], following),
                  std::tuple(int{row.n}, int{row.d}, uint32_t(row.bytes - 8)));
        const auto buffer = SoundPlayer::makeBuffer(b);
        ASSERT_TRUE(buffer.has_value());
        EXPECT_EQ(buffer->size(), row.frames);
        // Loud enough to be heard at the game's volumes, and no click when the sound stops.
        const auto [low, high] = std::minmax_element(b.begin() + 8, b.end());
        EXPECT_GE(*high - *low, 160);
        EXPECT_NEAR(b.back(), 128, 2);
    }
}

} // namespace
