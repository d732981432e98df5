// Recording: the file format of a recorded session, its writer and its reader.
//
// A session is fixed by the results its core received from the host, so a recording is that stream
// of results plus the op and argument of every other call (to detect a replay that goes another way)
// and checkpoints (a hash of the windows' pixels) that prove a replay exact.
//
// File layout (all integers little-endian):
//   header   "ORDNXREC" | u16 format version | u32 length n | n bytes of fields | u32 CRC-32 of those
//            fields: string game version, f64 start-up clock (secondsSince1970), string text face
//            name, u64 hash of the face file; a string is a u16 length and UTF-8 bytes
//   chunks   "CHNK" | u32 raw length | u32 compressed length | u32 CRC-32 of the compressed bytes |
//            the zlib stream of raw length bytes
// Each chunk decodes on its own (no state runs across chunks), so a file cut anywhere keeps all its
// whole chunks. A chunk's raw bytes are items, each a tag byte and varints (LEB128; signed values
// zigzag-encoded):
//   0..24    a call: tag = op; then the argument, when the op carries one; then the result, when the
//            op returns one (tickCount: the difference from the chunk's previous tickCount result,
//            mouse: h and v, takeMenuChoice: 0 for none or 1 and the choice, secondsSince1970: the
//            64 bits of the double)
//   0x40     repeat the previous call n more times: varint 1 <= n <= 2^24
//   0x41     checkpoint: kind byte, varint tick, u64 hash
//   0x42     end of session: the recording is complete
//   0x43     the session was ended from outside during a call (the host unwound the game from it):
//            the op byte, then the argument when the op carries one; only checkpoints and the end follow
// The writer ends a chunk when told (RecordingHost does at every battle end and after 600 ticks or 10 s
// of wall time), when its raw bytes pass chunkTarget, and at the end of the session; each chunk is
// written and synced at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostOp.h"

inline constexpr int64_t recordingFormatVersion = 1;

// One call the core made, with what it carried and what it got.
struct HostEvent {
    HostOp op = HostOp::idle;
    int64_t arg = 0;    // the window id, passes, flag, menus hash, cursor kind, dialog id, volume or sound id
    int64_t result = 0; // the tick, 0/1, item, volume, choice, h of mouse, or the double's bits
    int64_t result2 = 0; // mouse: v; takeMenuChoice: 1 when a choice was handed out
    bool operator==(const HostEvent&) const = default;
};

// Whether an op carries an argument or returns a result that the stream stores.
bool hostOpHasArgument(HostOp op);
bool hostOpHasResult(HostOp op);
// "mouse(256) -> (12, 40)": for messages.
std::string describe(const HostEvent& event);

enum class CheckpointKind : uint8_t { battleStart = 1, battleEnd = 2, sessionEnd = 3 };
const char* checkpointKindName(CheckpointKind kind);

struct Checkpoint {
    CheckpointKind kind = CheckpointKind::sessionEnd;
    int64_t tick = 0;
    uint64_t hash = 0;
    bool operator==(const Checkpoint&) const = default;
};

struct RecordingHeader {
    int64_t formatVersion = recordingFormatVersion;
    std::string gameVersion;
    double startClock = 0.0; // the secondsSince1970 the core read at start-up
    std::string faceName;    // the text face the recording's pixels were drawn with
    uint64_t faceHash = 0;   // a hash of that face's file (0: no face found)
};

// A failure to read a recording: what is wrong and the byte offset in the file where it was found.
struct RecordingError : std::runtime_error {
    RecordingError(int64_t offset, const std::string& what);
    int64_t offset;
};

// A whole read recording: the header and every whole chunk's decoded bytes (already checked).
struct Recording {
    RecordingHeader header;
    struct Chunk {
        int64_t offset = 0; // of the chunk in the file
        std::vector<uint8_t> items;
    };
    std::vector<Chunk> chunks;
    bool complete = false; // the end-of-session item was read
    // Set when the file stops before its end-of-session item: where it stopped and why.
    std::optional<std::string> truncation;
};

// One item of the decoded stream.
struct StreamItem {
    enum class Kind { call, checkpoint, end, interrupted } kind = Kind::call;
    HostEvent event; // calls; interrupted: the op and argument of the call the session ended in
    int64_t repeat = 1; // calls: how many times in a row
    Checkpoint checkpoint;
};

// Walks a recording's items in order, merging repeats into one StreamItem.
class RecordingCursor {
public:
    explicit RecordingCursor(const Recording& recording) : recording_(recording) {}
    std::optional<StreamItem> next();

private:
    const Recording& recording_;
    size_t chunk_ = 0;
    size_t pos_ = 0;
    int64_t lastTick_ = 0;
    HostEvent last_;
};

// Writes a recording to a file (created or truncated at construction) or, without a path, to memory.
// Each chunk is appended and synced when it ends, so a killed process leaves every ended chunk readable.
class RecordingWriter {
public:
    // Raw bytes after which the current chunk ends at the next item.
    static constexpr size_t chunkTarget = 1 << 20;
    // The longest run one repeat item holds; longer runs take several.
    static constexpr int64_t maxRepeat = int64_t{1} << 24;

    // Throws std::runtime_error naming the path when the file cannot be created or written.
    explicit RecordingWriter(const RecordingHeader& header, std::string path = {});
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    void append(const HostEvent& event);
    void checkpoint(const Checkpoint& checkpoint);
    // The session ended inside this call: the host unwound the game from it, so it has no result.
    void interrupted(HostOp op, int64_t arg);
    // Ends the current chunk (if it holds anything): compresses, writes and syncs it.
    void flush();
    // The end-of-session item, then flush. Nothing may be appended afterwards.
    void finish();

    // Hands every byte written from now on to `sink` as well, starting with the header (a live stream).
    // The sink runs on the writing thread.
    void setSink(std::function<void(std::span<const uint8_t>)> sink);

    size_t pendingRawBytes() const { return raw_.size(); }
    int64_t bytesWritten() const { return written_; }
    int64_t chunksWritten() const { return chunks_; }
    // Everything written so far when writing to memory (empty for a file).
    const std::vector<uint8_t>& bytes() const { return memory_; }

private:
    void emit(const HostEvent& event);
    void emitRepeat();
    void write(std::span<const uint8_t> bytes);

    std::string path_;
    int fd_ = -1;
    std::vector<uint8_t> memory_;
    std::vector<uint8_t> header_;
    std::function<void(std::span<const uint8_t>)> sink_;
    std::vector<uint8_t> raw_;
    std::optional<HostEvent> last_; // the last call emitted in this chunk
    int64_t repeats_ = 0;           // calls equal to last_ not yet emitted
    int64_t lastTick_ = 0;
    int64_t written_ = 0;
    int64_t chunks_ = 0;
    bool finished_ = false;
};

// Reads recordings with memory bounded by the declared sizes and the caps below.
class RecordingReader {
public:
    static constexpr int64_t maxFileBytes = int64_t{256} << 20;
    static constexpr int64_t maxChunkRawBytes = int64_t{8} << 20;
    static constexpr int64_t maxTotalRawBytes = int64_t{512} << 20;

    // Throws RecordingError for a file that is not a readable recording (bad magic, version, CRC,
    // sizes or items). A file that ends inside a chunk or without the end-of-session item reads up to
    // its last whole chunk, with `truncation` saying where it stopped.
    static Recording read(std::span<const uint8_t> bytes);
    // The same for a file; a file that cannot be opened is a RecordingError at offset 0.
    static Recording readFile(const std::string& path);
};

// Reads a recording whose bytes arrive piece by piece (a session still being played elsewhere), with
// the same checks as RecordingReader, applied to the header and to each chunk once it is whole.
class RecordingStreamReader {
public:
    RecordingStreamReader();
    ~RecordingStreamReader();
    RecordingStreamReader(const RecordingStreamReader&) = delete;
    RecordingStreamReader& operator=(const RecordingStreamReader&) = delete;

    // Takes the next bytes: the header, once whole, goes into `into`, whole chunks are appended to it,
    // and the end-of-session item sets into.complete. Returns whether chunks were added or the session
    // ended. Throws RecordingError (and keeps throwing) at bytes that are not a recording's.
    bool feed(std::span<const uint8_t> bytes, Recording& into);
    bool hasHeader() const { return header_; }
    // Bytes taken so far.
    int64_t bytesFed() const { return consumed_ + static_cast<int64_t>(buffer_.size()); }

private:
    struct State;
    std::unique_ptr<State> state_;
    std::vector<uint8_t> buffer_; // bytes of the unit not yet whole
    int64_t consumed_ = 0;        // stream offset of buffer_'s first byte
    bool header_ = false;
    std::optional<RecordingError> failure_;
};

// Little-endian and varint helpers shared by the format's writer and reader.
namespace RecordingFormat {
inline constexpr char magic[9] = "ORDNXREC";
inline constexpr char chunkMagic[5] = "CHNK";
inline constexpr uint8_t tagRepeat = 0x40;
inline constexpr uint8_t tagCheckpoint = 0x41;
inline constexpr uint8_t tagEnd = 0x42;
inline constexpr uint8_t tagInterrupted = 0x43;

std::vector<uint8_t> encodeHeader(const RecordingHeader& header);
} // namespace RecordingFormat
