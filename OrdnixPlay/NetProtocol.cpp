#include "NetProtocol.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Net {

namespace {

void putU16(std::vector<uint8_t>& out, uint64_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putString(std::vector<uint8_t>& out, const std::string& s) {
    const size_t n = std::min(s.size(), maxStringBytes);
    putU16(out, n);
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

// Reads a body front to back; every read checks what is left.
class Body {
public:
    Body(std::span<const uint8_t> bytes, const char* type) : bytes_(bytes), type_(type) {}

    uint64_t fixed(size_t n) {
        need(n);
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i)
            v |= static_cast<uint64_t>(bytes_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }
    std::string string() {
        const size_t n = fixed(2);
        if (n > maxStringBytes)
            fail("string of " + std::to_string(n) + " bytes");
        need(n);
        std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return s;
    }
    Digest digest() {
        need(challengeBytes);
        Digest d{};
        std::memcpy(d.data(), bytes_.data() + pos_, challengeBytes);
        pos_ += challengeBytes;
        return d;
    }
    void end() {
        if (pos_ != bytes_.size())
            fail(std::to_string(bytes_.size() - pos_) + " bytes too many");
    }
    [[noreturn]] void fail(const std::string& what) const { throw NetError(std::string(type_) + " message: " + what); }

private:
    void need(size_t n) const {
        if (bytes_.size() - pos_ < n)
            fail("body too short");
    }
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    const char* type_;
};

} // namespace

std::vector<uint8_t> encode(const Message& m) {
    std::vector<uint8_t> body;
    body.push_back(static_cast<uint8_t>(m.type));
    switch (m.type) {
    case Type::hello:
        body.insert(body.end(), magic, magic + 8);
        putU16(body, static_cast<uint64_t>(m.version));
        putString(body, m.text);
        body.insert(body.end(), m.challenge.begin(), m.challenge.end());
        break;
    case Type::auth:
        putU16(body, static_cast<uint64_t>(m.version));
        putString(body, m.text);
        body.insert(body.end(), m.challenge.begin(), m.challenge.end());
        putU64(body, m.streamOffset);
        break;
    case Type::welcome: body.push_back(static_cast<uint8_t>(m.side)); break;
    case Type::refuse:
    case Type::bye: putString(body, m.text); break;
    case Type::stream:
        if (m.bytes.empty() || m.bytes.size() > maxStreamPiece)
            std::abort();
        body.insert(body.end(), m.bytes.begin(), m.bytes.end());
        break;
    case Type::input:
        if (m.h < INT16_MIN || m.h > INT16_MAX || m.v < INT16_MIN || m.v > INT16_MAX)
            std::abort();
        putU16(body, static_cast<uint16_t>(m.h));
        putU16(body, static_cast<uint16_t>(m.v));
        body.push_back(m.down ? 1 : 0);
        break;
    case Type::heartbeat: break;
    }
    std::vector<uint8_t> frame;
    frame.reserve(body.size() + 4);
    for (int i = 0; i < 4; ++i)
        frame.push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
    frame.insert(frame.end(), body.begin(), body.end());
    return frame;
}

namespace {
Message ofType(Type type) {
    Message m;
    m.type = type;
    return m;
}
} // namespace

Message hello(const std::string& gameVersion, const Digest& challenge) {
    Message m = ofType(Type::hello);
    m.version = protocolVersion;
    m.text = gameVersion;
    m.challenge = challenge;
    return m;
}

Message auth(const std::string& gameVersion, const Digest& response, uint64_t streamOffset) {
    Message m = ofType(Type::auth);
    m.version = protocolVersion;
    m.text = gameVersion;
    m.challenge = response;
    m.streamOffset = streamOffset;
    return m;
}

Message welcome(int64_t side) {
    Message m = ofType(Type::welcome);
    m.side = side;
    return m;
}

Message refuse(const std::string& reason) {
    Message m = ofType(Type::refuse);
    m.text = reason;
    return m;
}

Message streamPiece(std::span<const uint8_t> bytes) {
    Message m = ofType(Type::stream);
    m.bytes.assign(bytes.begin(), bytes.end());
    return m;
}

Message input(int64_t h, int64_t v, bool down) {
    Message m = ofType(Type::input);
    m.h = h;
    m.v = v;
    m.down = down;
    return m;
}

Message heartbeat() { return ofType(Type::heartbeat); }

Message bye(const std::string& reason) {
    Message m = ofType(Type::bye);
    m.text = reason;
    return m;
}

Message decodePayload(std::span<const uint8_t> payload) {
    if (payload.empty())
        throw NetError("empty frame");
    Message m;
    const uint8_t type = payload[0];
    const std::span<const uint8_t> rest = payload.subspan(1);
    switch (type) {
    case static_cast<uint8_t>(Type::hello): {
        Body b(rest, "hello");
        m.type = Type::hello;
        if (rest.size() < 8 || std::memcmp(rest.data(), magic, 8) != 0)
            b.fail("not an Ordnix game");
        b.fixed(8);
        m.version = static_cast<int64_t>(b.fixed(2));
        m.text = b.string();
        m.challenge = b.digest();
        b.end();
        break;
    }
    case static_cast<uint8_t>(Type::auth): {
        Body b(rest, "auth");
        m.type = Type::auth;
        m.version = static_cast<int64_t>(b.fixed(2));
        m.text = b.string();
        m.challenge = b.digest();
        m.streamOffset = b.fixed(8);
        b.end();
        break;
    }
    case static_cast<uint8_t>(Type::welcome): {
        Body b(rest, "welcome");
        m.type = Type::welcome;
        m.side = static_cast<int64_t>(b.fixed(1));
        b.end();
        if (m.side != 1 && m.side != 2)
            b.fail("cannon " + std::to_string(m.side));
        break;
    }
    case static_cast<uint8_t>(Type::refuse):
    case static_cast<uint8_t>(Type::bye): {
        const bool isBye = type == static_cast<uint8_t>(Type::bye);
        Body b(rest, isBye ? "bye" : "refuse");
        m.type = isBye ? Type::bye : Type::refuse;
        m.text = b.string();
        b.end();
        break;
    }
    case static_cast<uint8_t>(Type::stream):
        if (rest.empty() || rest.size() > maxStreamPiece)
            throw NetError("stream message of " + std::to_string(rest.size()) + " bytes");
        m.type = Type::stream;
        m.bytes.assign(rest.begin(), rest.end());
        break;
    case static_cast<uint8_t>(Type::input): {
        Body b(rest, "input");
        m.type = Type::input;
        m.h = static_cast<int16_t>(b.fixed(2));
        m.v = static_cast<int16_t>(b.fixed(2));
        const uint64_t button = b.fixed(1);
        b.end();
        if (button > 1)
            b.fail("button state " + std::to_string(button));
        m.down = button == 1;
        break;
    }
    case static_cast<uint8_t>(Type::heartbeat): {
        Body b(rest, "heartbeat");
        m.type = Type::heartbeat;
        b.end();
        break;
    }
    default: throw NetError("unknown message type " + std::to_string(type));
    }
    return m;
}

void Decoder::feed(std::span<const uint8_t> bytes) {
    if (failure_)
        throw NetError(*failure_);
    // Consumed bytes are dropped before the buffer grows, so it never holds much more than a frame.
    if (pos_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
        pos_ = 0;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    try {
        while (buffer_.size() - pos_ >= 4) {
            const uint8_t* at = buffer_.data() + pos_;
            const uint64_t length = uint64_t{at[0]} | uint64_t{at[1]} << 8 | uint64_t{at[2]} << 16 |
                                    uint64_t{at[3]} << 24;
            if (length == 0 || length > maxFrameBytes)
                throw NetError("frame of " + std::to_string(length) + " bytes");
            if (buffer_.size() - pos_ - 4 < length)
                break;
            ready_.push_back(decodePayload(std::span<const uint8_t>(at + 4, length)));
            pos_ += 4 + length;
        }
    } catch (const NetError& error) {
        failure_ = error.what();
        buffer_.clear();
        pos_ = 0;
        throw;
    }
}

std::optional<Message> Decoder::next() {
    if (ready_.empty())
        return std::nullopt;
    Message m = std::move(ready_.front());
    ready_.pop_front();
    return m;
}

bool sameDigest(const Digest& a, const Digest& b) {
    uint8_t diff = 0;
    for (size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace Net
