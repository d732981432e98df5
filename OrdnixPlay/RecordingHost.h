// RecordingHost: a MacHost that forwards every call to another host and records it.
//
// It sits between the core and any host (core -> RecordingHost -> inner), forwards each call
// unchanged and appends the call with its result to a RecordingWriter. The start-up clock is read
// from the inner host once, at construction, for the file's header; the core's own read of it is
// answered with that same value.
//
// Checkpoints (the hash of the windows' pixels) are taken when a battle starts and ends, told by the
// Battle menu's "START A BATTLE" item (menu 262, item 1) turning off and on again, and at finish().
// The writer ends a chunk at every battle end and whenever 600 ticks of the core's clock or 10 s of wall
// time have passed since the last chunk ended, so a killed session keeps all but its last seconds (the
// wall clock covers stretches in which the core reads no ticks, such as the menus between battles).
//
// When the inner host ends the session by throwing out of a call, the recording notes that call; a
// replay ends at the same call (ReplayHost::EndOfRecording) after verifying the last checkpoints.
//
// A host may block the game thread for long in idle, alert or modalDialog (waiting for the player), and
// nothing is recorded meanwhile: when a file is written, a watch thread ends the chunk once such a
// wait has lasted a second, so a session killed while the game waits keeps everything before the wait.
//
// Not thread-safe beyond MacHost's rule: all calls come from the game thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "MacHost.h"
#include "Recording.h"
#include "SessionFacts.h"

class RecordingHost : public MacHost {
public:
    static constexpr int64_t flushTicks = 600;
    static constexpr std::chrono::seconds flushInterval{10};
    // The wall clock is read once per this many calls, which keeps its cost off the per-call path.
    static constexpr int64_t callsPerClockCheck = 256;
    // How long a blocking call of the inner host may wait before the chunk before it is written.
    static constexpr std::chrono::seconds blockedFlushDelay{1};
    // A live stream's longest wait between chunks while new calls are recorded (a tick).
    static constexpr std::chrono::milliseconds liveChunkInterval{16};

    // Records to `path`, or to memory when the path is empty. Throws std::runtime_error naming the path
    // when the file cannot be created (before the game starts).
    RecordingHost(std::shared_ptr<MacHost> inner, const std::string& path = {});
    ~RecordingHost() override;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // The session-end checkpoint and the end-of-session item; later calls are forwarded, not recorded.
    // Call after the game's run() returned.
    void finish();

    // Sends the recording to `sink` as well, from its header on, and ends a chunk whenever the clock
    // moved to a new tick, and before a call that may wait (idle, alert, modalDialog) when new calls
    // were recorded and the clock was not read since the last chunk or liveChunkInterval has passed,
    // so that a replay following the stream is at most a tick behind. Call before the game starts.
    void streamTo(std::function<void(std::span<const uint8_t>)> sink);

    const RecordingWriter& writer() const { return *writer_; }
    // Set when writing failed during the session (a full disk, a removed medium): recording stopped
    // there, the game went on, and the file keeps its chunks written before.
    const std::optional<std::string>& writeError() const { return writeError_; }
    const RecordingHeader& header() const { return header_; }
    const std::vector<Checkpoint>& checkpoints() const { return checkpoints_; }
    MacHost& inner() { return *inner_; }

    int64_t tickCount() override;
    void spin(int64_t passes) override;
    void idle() override;
    bool button() override;
    QuickDraw::Point mouse(const Window& in) override;
    std::optional<int64_t> takeMenuChoice() override;
    void setReadyForMenus(bool ready) override;
    void flushEvents() override;
    void showWindow(const Window& window) override;
    void hideWindow(const Window& window) override;
    void menusChanged(const std::vector<MenuState>& menus) override;
    void setCursor(CursorKind kind) override;
    void showCursor(bool visible) override;
    int64_t alert(int64_t id) override;
    void openDialog(const Dialog& dialog) override;
    void dialogChanged(const Dialog& dialog) override;
    int64_t modalDialog(const Dialog& dialog) override;
    void closeDialog(const Dialog& dialog) override;
    int64_t soundVolume() override;
    void setSoundVolume(int64_t volume) override;
    void playSound(int64_t id) override;
    void stopSound() override;
    bool soundDone() override;
    void sysBeep() override;
    double secondsSince1970() override;

private:
    void record(HostOp op, int64_t arg = 0, int64_t result = 0, int64_t result2 = 0);
    void takeCheckpoint(CheckpointKind kind);
    void endChunk();
    // A live stream's chunk ends before a call that may wait.
    void endLiveChunk();
    // Calls the inner host; when it throws (the desktop ends the session from inside the call), the
    // recording notes the call the session ended in, and the exception goes on.
    template <typename Call>
    auto forward(HostOp op, int64_t arg, Call&& call);
    // Runs a write; a failure stops the recording instead of unwinding the game.
    template <typename Write>
    void guarded(Write&& write);
    // Runs a call of the inner host that may block for long, with the watch told about it.
    template <typename Call>
    auto blocking(HostOp op, int64_t arg, Call&& call);
    void watchBlockedCalls();

    std::shared_ptr<MacHost> inner_;
    RecordingHeader header_;
    std::unique_ptr<RecordingWriter> writer_;
    WindowSet windows_;
    std::vector<Checkpoint> checkpoints_;
    int64_t lastTick_ = 0;
    int64_t flushedAtTick_ = 0;
    std::chrono::steady_clock::time_point flushedAt_ = std::chrono::steady_clock::now();
    int64_t callsSinceClockCheck_ = 0;
    bool inBattle_ = false;
    bool finished_ = false;
    bool live_ = false;
    int64_t liveFlushedTick_ = -1;
    bool clockReadSinceChunk_ = false;
    std::optional<std::string> writeError_;

    // The watch and the game thread touch the writer only while holding watchLock_ (the game thread
    // around a blocking call, the watch while it ends a chunk).
    std::mutex watchLock_;
    std::condition_variable watchWake_;
    bool blocked_ = false;
    uint64_t blockSerial_ = 0;
    bool stopWatch_ = false;
    std::thread watch_;
};

// A hash of a menu publication, so that a replay notices a menu state that differs from the recording.
int64_t menusHash(const std::vector<MenuState>& menus);
// Whether "START A BATTLE" is offered in this publication (true when the Battle menu is absent).
bool startBattleOffered(const std::vector<MenuState>& menus);
