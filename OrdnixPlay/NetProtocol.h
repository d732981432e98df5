// NetProtocol: the messages two machines exchange in a network game, their framing and decoder.
//
// The host runs the game; the guest replays the host's live recording stream and sends its player's
// pointer and button back. Every message is one frame (integers little-endian):
//   u32 length n (1 <= n <= maxFrameBytes) | n bytes: u8 type | body
// Bodies (a string is a u16 length and UTF-8 bytes):
//   hello      host -> guest   "ORDNXNET" | u16 protocol version | string game version | 32-byte challenge
//   auth       guest -> host   u16 protocol version | string game version | 32-byte HMAC-SHA256 of the
//                              challenge keyed with the join code | u64 stream bytes the guest already has
//   welcome    host -> guest   u8 the guest's cannon (1 left, 2 right)
//   refuse     either way      string reason; the sender closes the connection after it
//   stream     host -> guest   1 to maxStreamPiece bytes of the recording, in order
//   input      guest -> host   i16 h, i16 v (field window pixels), u8 button (0 up, 1 down)
//   heartbeat  either way      empty; sent after a second without other traffic
//   bye        either way      string reason; the player quit
// Each type has its own body size limits; a frame of an unknown type, of a size outside its type's
// limits or with a body that does not parse as its type ends the connection (a NetError).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace Net {

inline constexpr int64_t protocolVersion = 1;
inline constexpr char magic[9] = "ORDNXNET";
inline constexpr size_t challengeBytes = 32;
inline constexpr size_t maxStreamPiece = 64 * 1024;
inline constexpr size_t maxStringBytes = 256;
inline constexpr size_t maxFrameBytes = 1 + maxStreamPiece;
// A guest that has not proved the code by then is closed.
inline constexpr int64_t authTimeoutMs = 5000;
inline constexpr int64_t heartbeatMs = 1000;
// A peer silent this long is taken for gone.
inline constexpr int64_t silenceLimitMs = 10000;
// How long the host keeps a dropped guest's cannon for it.
inline constexpr int64_t rejoinWindowMs = 120000;
inline constexpr uint16_t defaultPort = 47017;

enum class Type : uint8_t { hello = 1, auth = 2, welcome = 3, refuse = 4, stream = 5, input = 6, heartbeat = 7, bye = 8 };

using Digest = std::array<uint8_t, 32>;

struct Message {
    Type type = Type::heartbeat;
    int64_t version = 0;            // hello, auth
    std::string text;               // hello, auth: game version; refuse, bye: reason
    Digest challenge{};             // hello: the challenge; auth: the response
    uint64_t streamOffset = 0;      // auth
    int64_t side = 0;               // welcome
    std::vector<uint8_t> bytes;     // stream
    int64_t h = 0, v = 0;           // input
    bool down = false;              // input
    bool operator==(const Message&) const = default;
};

struct NetError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The whole frame of a message. Strings longer than maxStringBytes are cut; a stream piece must hold
// 1 to maxStreamPiece bytes and an input point must fit 16 bits (programming errors otherwise).
std::vector<uint8_t> encode(const Message& message);

Message hello(const std::string& gameVersion, const Digest& challenge);
Message auth(const std::string& gameVersion, const Digest& response, uint64_t streamOffset);
Message welcome(int64_t side);
Message refuse(const std::string& reason);
Message streamPiece(std::span<const uint8_t> bytes);
Message input(int64_t h, int64_t v, bool down);
Message heartbeat();
Message bye(const std::string& reason);

// Splits received bytes into messages. Memory stays below one frame of the largest size plus what one
// feed() call hands over.
class Decoder {
public:
    // Takes the next received bytes; throws NetError at the first frame that breaks the protocol
    // (and keeps failing afterwards).
    void feed(std::span<const uint8_t> bytes);
    std::optional<Message> next();
    size_t buffered() const { return buffer_.size() - pos_; }

private:
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
    std::deque<Message> ready_;
    std::optional<std::string> failure_;
};

// Parses one frame's payload (type byte and body); throws NetError naming what is wrong.
Message decodePayload(std::span<const uint8_t> payload);

// Compares two digests in time independent of where they differ.
bool sameDigest(const Digest& a, const Digest& b);

} // namespace Net
