#include "Recording.h"

#include <zlib.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace RecordingFormat;

namespace {

void putU16(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 2; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void putU32(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void putU64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void putVarint(std::vector<uint8_t>& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<uint8_t>(v));
}
uint64_t zigzag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }
int64_t unzigzag(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }
void putSigned(std::vector<uint8_t>& out, int64_t v) { putVarint(out, zigzag(v)); }
void putString(std::vector<uint8_t>& out, const std::string& s) {
    const size_t n = std::min<size_t>(s.size(), 0xFFFF);
    putU16(out, n);
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

// About 580 years of ticks; keeps tick arithmetic far from overflow.
constexpr int64_t maxRecordedTick = int64_t{1} << 40;

// A wall clock within some 30 000 years of 1970.
bool clockInRange(double seconds) { return std::isfinite(seconds) && std::fabs(seconds) < 1e12; }

uint32_t crc(std::span<const uint8_t> bytes) {
    uLong c = crc32(0L, Z_NULL, 0);
    // zlib takes the length as uInt; chunks are far below 4 GiB.
    return static_cast<uint32_t>(crc32(c, bytes.data(), static_cast<uInt>(bytes.size())));
}

// Reads from a byte span, failing with the absolute offset of what it could not read.
class Input {
public:
    Input(std::span<const uint8_t> bytes, int64_t base) : bytes_(bytes), base_(base) {}
    size_t left() const { return bytes_.size() - pos_; }
    size_t pos() const { return pos_; }
    int64_t offset() const { return base_ + static_cast<int64_t>(pos_); }
    [[noreturn]] void fail(const std::string& what) const { throw RecordingError(offset(), what); }
    void need(size_t n, const char* what) const {
        if (left() < n)
            fail(std::string("ends inside ") + what);
    }
    uint64_t fixed(int bytes, const char* what) {
        need(static_cast<size_t>(bytes), what);
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= static_cast<uint64_t>(bytes_[pos_ + static_cast<size_t>(i)]) << (8 * i);
        pos_ += static_cast<size_t>(bytes);
        return v;
    }
    uint8_t byte(const char* what) { return static_cast<uint8_t>(fixed(1, what)); }
    uint64_t varint(const char* what) {
        uint64_t v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            need(1, what);
            const uint8_t b = bytes_[pos_++];
            // The tenth byte may hold only the top bit of 64.
            if (shift == 63 && b > 1)
                fail(std::string("varint too long in ") + what);
            v |= static_cast<uint64_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0)
                return v;
        }
        fail(std::string("varint too long in ") + what);
    }
    int64_t signedVarint(const char* what) { return unzigzag(varint(what)); }
    std::string string(const char* what) {
        const size_t n = fixed(2, what);
        need(n, what);
        std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return s;
    }
    std::span<const uint8_t> take(size_t n, const char* what) {
        need(n, what);
        auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

private:
    std::span<const uint8_t> bytes_;
    int64_t base_;
    size_t pos_ = 0;
};

// The answers no host gives (MacHost's contract): the game is not built to survive them, so a
// recording that holds one is damaged, not a session to replay.
const char* outOfContract(const HostEvent& e) {
    constexpr int64_t maxCoordinate = 32767; // a classic 16-bit coordinate covers any screen
    switch (e.op) {
    case HostOp::tickCount: return e.result < 0 || e.result > maxRecordedTick ? "tick out of range" : nullptr;
    case HostOp::button:
    case HostOp::soundDone: return e.result != 0 && e.result != 1 ? "not a yes or no" : nullptr;
    case HostOp::mouse:
        return e.result < -maxCoordinate || e.result > maxCoordinate || e.result2 < -maxCoordinate ||
                       e.result2 > maxCoordinate
                   ? "position out of range"
                   : nullptr;
    case HostOp::alert:
    case HostOp::modalDialog: return e.result < 1 || e.result > 255 ? "dialog item out of range" : nullptr;
    case HostOp::soundVolume: return e.result < 0 || e.result > 7 ? "volume out of range" : nullptr;
    case HostOp::secondsSince1970: return clockInRange(std::bit_cast<double>(e.result)) ? nullptr : "clock out of range";
    default: return nullptr;
    }
}

// Decodes one item; the chunk's previous tick is carried in lastTick. Throws RecordingError.
StreamItem decodeItem(Input& in, int64_t& lastTick, bool havePrevious, bool& isRepeat) {
    StreamItem item;
    isRepeat = false;
    const int64_t at = in.offset();
    const uint8_t tag = in.byte("an item");
    if (tag == tagRepeat) {
        if (!havePrevious)
            throw RecordingError(at, "repeat item without a call before it in its chunk");
        const uint64_t n = in.varint("a repeat count");
        if (n == 0 || n > static_cast<uint64_t>(RecordingWriter::maxRepeat))
            throw RecordingError(at, "repeat count out of range");
        item.repeat = static_cast<int64_t>(n);
        isRepeat = true; // the caller fills in the repeated call
        return item;
    }
    if (tag == tagCheckpoint) {
        item.kind = StreamItem::Kind::checkpoint;
        const uint8_t kind = in.byte("a checkpoint");
        if (kind < 1 || kind > 3)
            throw RecordingError(at, "unknown checkpoint kind " + std::to_string(kind));
        item.checkpoint.kind = static_cast<CheckpointKind>(kind);
        item.checkpoint.tick = in.signedVarint("a checkpoint");
        item.checkpoint.hash = in.fixed(8, "a checkpoint");
        return item;
    }
    if (tag == tagInterrupted) {
        item.kind = StreamItem::Kind::interrupted;
        const std::optional<HostOp> op = hostOpFromRaw(in.byte("an ended call"));
        if (!op)
            throw RecordingError(at, "unknown op in an ended call");
        item.event.op = *op;
        if (hostOpHasArgument(*op))
            item.event.arg = in.signedVarint("an ended call");
        return item;
    }
    if (tag == tagEnd) {
        item.kind = StreamItem::Kind::end;
        return item;
    }
    const std::optional<HostOp> op = hostOpFromRaw(tag);
    if (!op)
        throw RecordingError(at, "unknown item tag " + std::to_string(tag));
    HostEvent& e = item.event;
    e.op = *op;
    if (hostOpHasArgument(e.op))
        e.arg = in.signedVarint("a call's argument");
    switch (e.op) {
    case HostOp::tickCount: {
        const int64_t delta = in.signedVarint("a tick");
        if ((delta > 0 && lastTick > INT64_MAX - delta) || (delta < 0 && lastTick < INT64_MIN - delta))
            throw RecordingError(at, "tick out of range");
        lastTick += delta;
        e.result = lastTick;
        break;
    }
    case HostOp::mouse:
        e.result = in.signedVarint("a mouse position");
        e.result2 = in.signedVarint("a mouse position");
        break;
    case HostOp::takeMenuChoice:
        e.result2 = static_cast<int64_t>(in.varint("a menu choice"));
        if (e.result2 > 1)
            throw RecordingError(at, "menu choice flag out of range");
        if (e.result2 == 1)
            e.result = in.signedVarint("a menu choice");
        break;
    case HostOp::secondsSince1970: e.result = static_cast<int64_t>(in.fixed(8, "a clock reading")); break;
    default:
        if (hostOpHasResult(e.op))
            e.result = in.signedVarint("a call's result");
    }
    if (const char* wrong = outOfContract(e))
        throw RecordingError(at, describe(e) + ": " + wrong);
    return item;
}

// Checks every item of a chunk; returns whether it holds the end-of-session item (which must be last).
// previousTick carries the last tick across chunks: ticks never go back.
bool validateChunk(std::span<const uint8_t> items, int64_t chunkOffset, int64_t& previousTick, bool& interrupted) {
    // Offsets inside a chunk are reported as the chunk's offset in the file plus the decoded offset.
    Input in(items, 0);
    int64_t lastTick = 0;
    bool havePrevious = false;
    try {
        while (in.left() > 0) {
            bool isRepeat = false;
            const int64_t at = in.offset();
            const StreamItem item = decodeItem(in, lastTick, havePrevious, isRepeat);
            if (item.kind == StreamItem::Kind::call && !isRepeat && item.event.op == HostOp::tickCount) {
                if (item.event.result < previousTick)
                    throw RecordingError(at, "tick " + std::to_string(item.event.result) + " before tick " +
                                                 std::to_string(previousTick));
                previousTick = item.event.result;
            }
            if (item.kind == StreamItem::Kind::end) {
                if (in.left() != 0)
                    in.fail("data after the end of the session");
                return true;
            }
            if (item.kind == StreamItem::Kind::call && interrupted)
                throw RecordingError(at, "a call after the session ended");
            interrupted = interrupted || item.kind == StreamItem::Kind::interrupted;
            if (item.kind == StreamItem::Kind::call)
                havePrevious = true;
        }
    } catch (const RecordingError& e) {
        std::ostringstream out;
        out << "chunk at byte " << chunkOffset << ", decoded byte " << e.offset << ": " << e.what();
        throw RecordingError(chunkOffset, out.str());
    }
    return false;
}

} // namespace

RecordingError::RecordingError(int64_t offset, const std::string& what) : std::runtime_error(what), offset(offset) {}

bool hostOpHasArgument(HostOp op) {
    switch (op) {
    case HostOp::spin:
    case HostOp::mouse:
    case HostOp::setReadyForMenus:
    case HostOp::showWindow:
    case HostOp::hideWindow:
    case HostOp::menusChanged:
    case HostOp::setCursor:
    case HostOp::showCursor:
    case HostOp::alert:
    case HostOp::openDialog:
    case HostOp::dialogChanged:
    case HostOp::modalDialog:
    case HostOp::closeDialog:
    case HostOp::setSoundVolume:
    case HostOp::playSound: return true;
    default: return false;
    }
}

bool hostOpHasResult(HostOp op) {
    switch (op) {
    case HostOp::tickCount:
    case HostOp::button:
    case HostOp::mouse:
    case HostOp::takeMenuChoice:
    case HostOp::alert:
    case HostOp::modalDialog:
    case HostOp::soundVolume:
    case HostOp::soundDone:
    case HostOp::secondsSince1970: return true;
    default: return false;
    }
}

std::string describe(const HostEvent& e) {
    std::ostringstream out;
    out << hostOpName(e.op);
    if (hostOpHasArgument(e.op))
        out << "(" << e.arg << ")";
    if (e.op == HostOp::mouse)
        out << " -> (" << e.result << ", " << e.result2 << ")";
    else if (e.op == HostOp::takeMenuChoice)
        out << (e.result2 ? " -> " + std::to_string(e.result) : std::string(" -> none"));
    else if (hostOpHasResult(e.op))
        out << " -> " << e.result;
    return out.str();
}

const char* checkpointKindName(CheckpointKind kind) {
    switch (kind) {
    case CheckpointKind::battleStart: return "battle start";
    case CheckpointKind::battleEnd: return "battle end";
    case CheckpointKind::sessionEnd: return "session end";
    }
    return "?";
}

// ---- cursor ----

std::optional<StreamItem> RecordingCursor::next() {
    while (chunk_ < recording_.chunks.size()) {
        const std::vector<uint8_t>& items = recording_.chunks[chunk_].items;
        if (pos_ >= items.size()) {
            ++chunk_;
            pos_ = 0;
            lastTick_ = 0;
            continue;
        }
        Input in(std::span<const uint8_t>(items).subspan(pos_), 0);
        bool isRepeat = false;
        StreamItem item = decodeItem(in, lastTick_, true, isRepeat);
        pos_ += in.pos();
        if (isRepeat)
            item.event = last_;
        else if (item.kind == StreamItem::Kind::call)
            last_ = item.event;
        return item;
    }
    return std::nullopt;
}

// ---- writer ----

std::vector<uint8_t> RecordingFormat::encodeHeader(const RecordingHeader& header) {
    std::vector<uint8_t> fields;
    putString(fields, header.gameVersion);
    uint64_t clockBits = 0;
    std::memcpy(&clockBits, &header.startClock, sizeof clockBits);
    putU64(fields, clockBits);
    putString(fields, header.faceName);
    putU64(fields, header.faceHash);
    std::vector<uint8_t> out(magic, magic + 8);
    putU16(out, static_cast<uint64_t>(header.formatVersion));
    putU32(out, fields.size());
    out.insert(out.end(), fields.begin(), fields.end());
    putU32(out, crc(fields));
    return out;
}

RecordingWriter::RecordingWriter(const RecordingHeader& header, std::string path) : path_(std::move(path)) {
    if (!path_.empty()) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0)
            throw std::runtime_error(path_ + ": cannot create the recording: " + std::strerror(errno));
    }
    header_ = encodeHeader(header);
    write(header_);
}

void RecordingWriter::setSink(std::function<void(std::span<const uint8_t>)> sink) {
    sink_ = std::move(sink);
    if (sink_)
        sink_(header_);
}

RecordingWriter::~RecordingWriter() {
    if (fd_ >= 0)
        ::close(fd_);
}

void RecordingWriter::write(std::span<const uint8_t> bytes) {
    if (fd_ < 0) {
        memory_.insert(memory_.end(), bytes.begin(), bytes.end());
    } else {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw std::runtime_error(path_ + ": cannot write the recording: " + std::strerror(errno));
            done += static_cast<size_t>(n);
        }
        ::fdatasync(fd_);
    }
    written_ += static_cast<int64_t>(bytes.size());
    if (sink_)
        sink_(bytes);
}

void RecordingWriter::emit(const HostEvent& e) {
    raw_.push_back(static_cast<uint8_t>(e.op));
    if (hostOpHasArgument(e.op))
        putSigned(raw_, e.arg);
    switch (e.op) {
    case HostOp::tickCount:
        putSigned(raw_, e.result - lastTick_);
        lastTick_ = e.result;
        break;
    case HostOp::mouse:
        putSigned(raw_, e.result);
        putSigned(raw_, e.result2);
        break;
    case HostOp::takeMenuChoice:
        putVarint(raw_, e.result2 ? 1 : 0);
        if (e.result2)
            putSigned(raw_, e.result);
        break;
    case HostOp::secondsSince1970: putU64(raw_, static_cast<uint64_t>(e.result)); break;
    default:
        if (hostOpHasResult(e.op))
            putSigned(raw_, e.result);
    }
}

void RecordingWriter::emitRepeat() {
    if (repeats_ == 0)
        return;
    raw_.push_back(tagRepeat);
    putVarint(raw_, static_cast<uint64_t>(repeats_));
    repeats_ = 0;
}

void RecordingWriter::append(const HostEvent& event) {
    if (finished_)
        return;
    if (last_ && *last_ == event) {
        if (++repeats_ == maxRepeat)
            emitRepeat();
        return;
    }
    emitRepeat();
    if (raw_.size() >= chunkTarget)
        flush();
    emit(event);
    last_ = event;
}

void RecordingWriter::checkpoint(const Checkpoint& checkpoint) {
    if (finished_)
        return;
    emitRepeat();
    raw_.push_back(tagCheckpoint);
    raw_.push_back(static_cast<uint8_t>(checkpoint.kind));
    putSigned(raw_, checkpoint.tick);
    putU64(raw_, checkpoint.hash);
    // A repeat may not reach back across a checkpoint: the replay verifies it between the calls.
    last_.reset();
}

void RecordingWriter::interrupted(HostOp op, int64_t arg) {
    if (finished_)
        return;
    emitRepeat();
    raw_.push_back(tagInterrupted);
    raw_.push_back(static_cast<uint8_t>(op));
    if (hostOpHasArgument(op))
        putSigned(raw_, arg);
    last_.reset();
}

void RecordingWriter::flush() {
    emitRepeat();
    if (raw_.empty())
        return;
    uLongf compressedSize = compressBound(static_cast<uLong>(raw_.size()));
    std::vector<uint8_t> compressed(compressedSize);
    if (compress2(compressed.data(), &compressedSize, raw_.data(), static_cast<uLong>(raw_.size()), 6) != Z_OK)
        throw std::runtime_error("cannot compress a recording chunk");
    compressed.resize(compressedSize);
    std::vector<uint8_t> chunk(chunkMagic, chunkMagic + 4);
    putU32(chunk, raw_.size());
    putU32(chunk, compressed.size());
    putU32(chunk, crc(compressed));
    chunk.insert(chunk.end(), compressed.begin(), compressed.end());
    write(chunk);
    ++chunks_;
    raw_.clear();
    last_.reset();
    lastTick_ = 0;
}

void RecordingWriter::finish() {
    if (finished_)
        return;
    emitRepeat();
    raw_.push_back(tagEnd);
    flush();
    finished_ = true;
}

// ---- reader ----

namespace {

// The header, from the start of the bytes; fails when they end inside it.
void readHeader(Input& in, std::span<const uint8_t> bytes, Recording& rec) {
    if (in.left() < 8 || std::memcmp(bytes.data(), magic, 8) != 0)
        in.fail("not an Ordnix recording (magic number missing)");
    in.take(8, "the magic number");
    const int64_t versionAt = in.offset();
    rec.header.formatVersion = static_cast<int64_t>(in.fixed(2, "the header"));
    if (rec.header.formatVersion != recordingFormatVersion)
        throw RecordingError(versionAt, "format version " + std::to_string(rec.header.formatVersion) +
                                            " (this build reads version " +
                                            std::to_string(recordingFormatVersion) + ")");
    const size_t headerLength = in.fixed(4, "the header");
    if (headerLength > 4 * 0x10000)
        in.fail("header length " + std::to_string(headerLength) + " too large");
    const int64_t fieldsAt = in.offset();
    const std::span<const uint8_t> fields = in.take(headerLength, "the header");
    const int64_t crcAt = in.offset();
    if (in.fixed(4, "the header") != crc(fields))
        throw RecordingError(crcAt, "header checksum mismatch");
    Input h(fields, fieldsAt);
    rec.header.gameVersion = h.string("the game version");
    const int64_t clockAt = h.offset();
    const uint64_t clockBits = h.fixed(8, "the start-up clock");
    std::memcpy(&rec.header.startClock, &clockBits, sizeof clockBits);
    rec.header.faceName = h.string("the face name");
    rec.header.faceHash = h.fixed(8, "the face hash");

    if (!clockInRange(rec.header.startClock))
        throw RecordingError(clockAt, "start-up clock out of range");
}

// What the chunk reader carries from one chunk to the next.
struct ChunkState {
    int64_t totalRaw = 0;
    int64_t previousTick = 0;
    bool interrupted = false;
};

enum class ChunkStep { whole, partial, end };

// The chunk at the front of `in`: appended to rec when whole (in moves past it); `partial` when the
// bytes end inside it (in stays).
ChunkStep readChunk(Input& in, std::span<const uint8_t> bytes, ChunkState& state, Recording& rec) {
    const int64_t at = in.offset();
    const size_t startPos = in.pos();
    if (in.left() < 16)
        return ChunkStep::partial;
    if (std::memcmp(bytes.data() + in.pos(), chunkMagic, 4) != 0)
        in.fail("chunk marker missing");
    in.take(4, "a chunk");
    const int64_t rawAt = in.offset();
    const int64_t raw = static_cast<int64_t>(in.fixed(4, "a chunk"));
    const int64_t packed = static_cast<int64_t>(in.fixed(4, "a chunk"));
    const uint32_t expected = static_cast<uint32_t>(in.fixed(4, "a chunk"));
    if (raw == 0 || raw > RecordingReader::maxChunkRawBytes)
        throw RecordingError(rawAt, "chunk size " + std::to_string(raw) + " out of range (1 to " +
                                        std::to_string(RecordingReader::maxChunkRawBytes) + ")");
    if (state.totalRaw + raw > RecordingReader::maxTotalRawBytes)
        throw RecordingError(rawAt, "recording larger than " + std::to_string(RecordingReader::maxTotalRawBytes) +
                                        " decoded bytes");
    if (packed == 0 || packed > static_cast<int64_t>(compressBound(static_cast<uLong>(raw))))
        throw RecordingError(rawAt + 4, "compressed chunk size " + std::to_string(packed) + " out of range");
    if (static_cast<int64_t>(in.left()) < packed) {
        in = Input(bytes, in.offset() - static_cast<int64_t>(in.pos()));
        in.take(startPos, "a chunk");
        return ChunkStep::partial;
    }
    const int64_t dataAt = in.offset();
    const std::span<const uint8_t> data = in.take(static_cast<size_t>(packed), "a chunk");
    if (crc(data) != expected)
        throw RecordingError(dataAt, "chunk checksum mismatch (chunk at byte " + std::to_string(at) + ")");
    Recording::Chunk chunk{at, std::vector<uint8_t>(static_cast<size_t>(raw))};
    uLongf size = static_cast<uLongf>(raw);
    const int status = uncompress(chunk.items.data(), &size, data.data(), static_cast<uLong>(packed));
    if (status != Z_OK || size != static_cast<uLongf>(raw))
        throw RecordingError(dataAt, "chunk does not decompress to its declared " + std::to_string(raw) + " bytes");
    state.totalRaw += raw;
    const bool end = validateChunk(chunk.items, at, state.previousTick, state.interrupted);
    rec.chunks.push_back(std::move(chunk));
    return end ? ChunkStep::end : ChunkStep::whole;
}

std::string wholeChunksBefore(int64_t at, size_t chunks) {
    std::ostringstream where;
    where << "the file ends inside the chunk at byte " << at << "; replaying the " << chunks
          << " whole chunks before it";
    return where.str();
}

} // namespace

Recording RecordingReader::read(std::span<const uint8_t> bytes) {
    if (static_cast<int64_t>(bytes.size()) > maxFileBytes)
        throw RecordingError(maxFileBytes, "file larger than " + std::to_string(maxFileBytes) + " bytes");
    Recording rec;
    Input in(bytes, 0);
    readHeader(in, bytes, rec);
    ChunkState state;
    while (in.left() > 0) {
        const int64_t at = in.offset();
        const ChunkStep step = readChunk(in, bytes, state, rec);
        if (step == ChunkStep::partial) {
            rec.truncation = wholeChunksBefore(at, rec.chunks.size());
            return rec;
        }
        if (step == ChunkStep::end) {
            if (in.left() != 0)
                in.fail("data after the end of the session");
            rec.complete = true;
            return rec;
        }
    }
    std::ostringstream where;
    where << "the recording stops at byte " << in.offset() << " without the end of its session; replaying the "
          << rec.chunks.size() << " whole chunks";
    rec.truncation = where.str();
    return rec;
}

struct RecordingStreamReader::State {
    ChunkState chunks;
};

RecordingStreamReader::RecordingStreamReader() : state_(std::make_unique<State>()) {}
RecordingStreamReader::~RecordingStreamReader() = default;

bool RecordingStreamReader::feed(std::span<const uint8_t> bytes, Recording& into) {
    if (failure_)
        throw *failure_;
    if (into.complete && !bytes.empty()) {
        failure_ = RecordingError(consumed_, "data after the end of the session");
        throw *failure_;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    const size_t chunksBefore = into.chunks.size();
    try {
        Input in(buffer_, consumed_);
        if (!header_) {
            // The header's length sits at byte 10; a whole header is 18 bytes more than its fields.
            if (buffer_.size() >= 8 && std::memcmp(buffer_.data(), magic, 8) != 0)
                in.fail("not an Ordnix recording (magic number missing)");
            if (buffer_.size() < 14)
                return false;
            const size_t fields = static_cast<size_t>(buffer_[10]) | static_cast<size_t>(buffer_[11]) << 8 |
                                  static_cast<size_t>(buffer_[12]) << 16 | static_cast<size_t>(buffer_[13]) << 24;
            if (fields <= 4 * 0x10000 && buffer_.size() < 18 + fields)
                return false;
            readHeader(in, buffer_, into);
            header_ = true;
        }
        while (in.left() > 0 && !into.complete) {
            const ChunkStep step = readChunk(in, buffer_, state_->chunks, into);
            if (step == ChunkStep::partial)
                break;
            if (step == ChunkStep::end) {
                if (in.left() != 0)
                    in.fail("data after the end of the session");
                into.complete = true;
            }
        }
        consumed_ = in.offset();
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(in.pos()));
    } catch (const RecordingError& error) {
        failure_ = error;
        buffer_.clear();
        throw;
    }
    return into.chunks.size() > chunksBefore || into.complete;
}

Recording RecordingReader::readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        throw RecordingError(0, "cannot open the file");
    const std::streamoff size = file.tellg();
    if (size < 0)
        throw RecordingError(0, "cannot read the file");
    if (size > maxFileBytes)
        throw RecordingError(maxFileBytes, "file larger than " + std::to_string(maxFileBytes) + " bytes");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size))
        throw RecordingError(0, "cannot read the file");
    return read(bytes);
}
