// Any byte string either reads as a recording whose every item decodes, or fails with a RecordingError;
// nothing else may happen (no crash, no other exception, no unbounded allocation).
#include <cstddef>
#include <cstdint>
#include <span>

#include "Recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const Recording recording = RecordingReader::read(std::span<const uint8_t>(data, size));
        int64_t calls = 0;
        RecordingCursor cursor(recording);
        while (const auto item = cursor.next())
            if (item->kind == StreamItem::Kind::call)
                calls += item->repeat > 0 ? 1 : 0;
        (void)calls;
    } catch (const RecordingError&) {
    }
    return 0;
}
