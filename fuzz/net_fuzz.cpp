// Any byte string fed to the network decoder, in pieces of any size, either yields messages that
// encode back to the same frames or fails with a NetError; the stream of a hosted game read piece by
// piece either grows a recording or fails with a RecordingError. Nothing else may happen (no crash,
// no other exception, no unbounded allocation).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "NetProtocol.h"
#include "Recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses how the rest is cut into pieces, as a network would.
    const size_t step = 1 + data[0] % 64;
    const std::span<const uint8_t> bytes(data + 1, size - 1);

    Net::Decoder decoder;
    std::vector<uint8_t> reencoded;
    try {
        for (size_t at = 0; at < bytes.size(); at += step) {
            decoder.feed(bytes.subspan(at, std::min(step, bytes.size() - at)));
            while (const auto message = decoder.next()) {
                const std::vector<uint8_t> frame = Net::encode(*message);
                reencoded.insert(reencoded.end(), frame.begin(), frame.end());
            }
        }
        // What was decoded is exactly a prefix of the input.
        if (reencoded.size() > bytes.size() || !std::equal(reencoded.begin(), reencoded.end(), bytes.begin()))
            __builtin_trap();
    } catch (const Net::NetError&) {
    }

    Recording recording;
    RecordingStreamReader reader;
    try {
        for (size_t at = 0; at < bytes.size(); at += step)
            reader.feed(bytes.subspan(at, std::min(step, bytes.size() - at)), recording);
        RecordingCursor cursor(recording);
        while (cursor.next()) {
        }
    } catch (const RecordingError&) {
    }
    return 0;
}
