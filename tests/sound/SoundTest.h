// Shared helpers of the sound tests: building sounds and the documented resampling rule.
#pragma once

#include "SoundPlayer.h"
#include "Sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Step = floor(N * 65536 / (D * 256, or 1 when 0)) / 65536 samples per frame; frame i takes sample
// min(last, floor(i * step)); 128 is silence, full scale 0.8; the output gain is volume / 7.
inline std::vector<double> resampled(const std::vector<uint8_t>& bytes, int64_t volume = 7) {
    const uint64_t n = (uint64_t{bytes[0]} << 8) | bytes[1], d = (uint64_t{bytes[2]} << 8) | bytes[3];
    const uint64_t q = n * 65536 / std::max<uint64_t>(d * 256, 1);
    const size_t count = bytes.size() - 6;
    std::vector<double> frames(static_cast<size_t>(std::trunc(count / (q / 65536.0))));
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = (bytes[6 + std::min<size_t>(count - 1, i * q / 65536)] - 128) / 128.0 * 0.8 * volume / 7.0;
    return frames;
}

inline std::vector<double> resampledSound(int64_t id, int64_t volume = 7) { // an embedded sound
    return resampled(*SoundPlayer::decodeBase64(Sounds::base64().at(id)), volume);
}
