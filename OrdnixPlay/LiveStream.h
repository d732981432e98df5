// LiveStream: a recording that travels while it is written, between the host's writer and the guest's
// replay of a network game.
//
// StreamTap (host) keeps every byte the recording writer produced, so that a guest who joins late or
// rejoins after a drop catches up from any offset; the writer appends from the game thread (or the
// recorder's watch thread), the network reads from its own.
//
// LiveFeed (guest) takes the received bytes from the network thread and hands them, read and checked
// by a RecordingStreamReader, to the replay on the game thread, which waits in waitForMore() until
// whole chunks are there.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Recording.h"

class StreamTap {
public:
    // Any thread. `grew` (set before the game starts) runs after every append, on the appending thread.
    void append(std::span<const uint8_t> bytes);
    void setGrew(std::function<void()> grew);
    // Up to `max` bytes from `offset` on (empty at the end).
    std::vector<uint8_t> read(uint64_t offset, size_t max) const;
    uint64_t size() const;

private:
    mutable std::mutex mutex_;
    std::vector<uint8_t> bytes_;
    std::function<void()> grew_;
};

class LiveFeed {
public:
    // ---- any thread ----
    void push(std::span<const uint8_t> bytes);
    // Nothing more will come: the replay ends where the bytes end (at once when `reason` is set).
    void close(std::optional<std::string> reason = std::nullopt);
    // Bytes pushed so far: where a rejoining guest asks the host to go on.
    uint64_t received() const;

    // ---- game thread ----
    // The recording the replay reads; it grows only inside waitForMore().
    const Recording& recording() const { return recording_; }
    // Waits until pushed bytes complete at least one chunk (true) or the feed is closed with nothing
    // left to read (false). `poll` runs about every pollInterval while it waits, on this thread.
    bool waitForMore(const std::function<void()>& poll = {});
    // Why the feed ended early: the host's bytes were not a recording, or the connection was lost.
    std::optional<std::string> failure() const;

    static constexpr std::chrono::milliseconds pollInterval{5};

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<uint8_t> incoming_;
    uint64_t received_ = 0;
    bool closed_ = false;
    std::optional<std::string> failure_;

    Recording recording_;
    RecordingStreamReader reader_;
};
