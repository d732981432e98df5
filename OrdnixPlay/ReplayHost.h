// ReplayHost: a MacHost that answers the core's calls from a recording, in order.
//
// Every call the core makes is compared with the next recorded call (op and argument); the answer is
// the recorded result. A call that differs, or a call after the end of a complete recording, throws
// Divergence at once, which unwinds the game to whoever runs it. When a truncated recording runs out,
// the call throws EndOfRecording (not an error: the replay got as far as the file goes); so does the
// call in which the recorded session was ended from outside, after the last checkpoints are verified
// (sessionEndedInCall() then tells).
//
// Checkpoints are verified where they were taken: the windows the core handed to this host are hashed
// and compared; the first mismatch is kept (mismatch()) and replay goes on.
//
// Options: `display` receives the calls that show something (windows, menus, cursor, dialogs, sounds,
// readiness) so that a window can follow the replay; `tickReached` is called whenever the recorded
// clock reaches a new tick, before the call that reads it returns (a real-time driver sleeps there;
// a headless one takes frames there).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "MacHost.h"
#include "Recording.h"
#include "SessionFacts.h"

struct ReplayOptions {
    std::shared_ptr<MacHost> display;
    // Called with the previous tick and the new one when the recorded clock moves forward.
    std::function<void(int64_t previousTick, int64_t tick)> tickReached;
    // A recording still being written (a live session): called on the game thread when the items run
    // out before the end; it appends to the recording and returns true, or returns false when nothing
    // more will come (the replay then ends as at a cut-off file).
    std::function<bool()> more;
    // The display gets every menu disabled: its player watches and cannot choose.
    bool greyMenus = false;
};

struct CheckpointResult {
    Checkpoint recorded;
    uint64_t replayed = 0;
    bool matches() const { return recorded.hash == replayed; }
};

class ReplayHost : public MacHost {
public:
    struct Divergence : std::runtime_error {
        Divergence(int64_t callIndex, const std::string& what) : std::runtime_error(what), callIndex(callIndex) {}
        int64_t callIndex;
    };
    // Deliberately not a std::exception: the game must not mistake it for a failure of its own.
    struct EndOfRecording {};

    ReplayHost(const Recording& recording, ReplayOptions options = {});

    // After the game's run() returned: verifies the checkpoints recorded after the last call and checks
    // that no recorded call is left. Throws Divergence when calls are left over.
    void finish();

    // Calls answered so far (the index of the next one).
    int64_t callIndex() const { return calls_; }
    // The recording ended where the desktop ended the session, inside the call the game made last.
    bool sessionEndedInCall() const { return endedInCall_; }
    int64_t currentTick() const { return tick_; }
    const std::vector<CheckpointResult>& checkpoints() const { return checkpoints_; }
    // The first checkpoint that failed, as a message; nothing while all passed.
    const std::optional<std::string>& mismatch() const { return mismatch_; }
    const WindowSet& windows() const { return windows_; }
    const std::vector<MenuState>& menus() const { return menus_; }

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
    // Matches the call with the next recorded one and returns it; throws on a difference.
    const HostEvent& expect(HostOp op, int64_t arg = 0);
    // Verifies the checkpoints that follow the call just answered.
    void verifyCheckpoints();
    // Verifies every checkpoint up to the next call or the end, the session's last one included.
    void verifyTrailingCheckpoints();
    void advanceCursor();
    // In a live session, waits until the next item is there or nothing more will come.
    void awaitItem();

    const Recording& recording_;
    ReplayOptions options_;
    RecordingCursor cursor_;
    std::optional<StreamItem> pending_; // the next recorded item, read ahead
    HostEvent current_;
    int64_t repeatsLeft_ = 0; // further calls equal to current_
    int64_t calls_ = 0;
    int64_t tick_ = 0;
    bool endedInCall_ = false;
    WindowSet windows_;
    std::vector<CheckpointResult> checkpoints_;
    std::optional<std::string> mismatch_;
    std::vector<MenuState> menus_;
};

// The outcome of a headless replay.
struct ReplayResult {
    enum class Status { exact, diverged, checkpointMismatch } status = Status::exact;
    std::string message;                // the divergence or the first checkpoint mismatch
    std::optional<std::string> truncation; // where a truncated recording stopped
    std::vector<std::string> notes;        // the recording's face or game version differs from this machine's
    std::vector<CheckpointResult> checkpoints;
    int64_t calls = 0;
    int64_t finalTick = 0;
    struct WindowImage {
        WindowID id = WindowID::field;
        bool visible = false;
        int64_t width = 0;
        int64_t height = 0;
        std::vector<uint8_t> pixels; // row-major, 1 black, 0 white
    };
    std::vector<WindowImage> windows; // all three, at the end of the replay
    std::vector<MenuState> menus;     // the last published menu state
};

class Toolbox;

struct HeadlessOptions {
    // Called with a tick whenever any window's pixels changed since the previous call (change counts
    // moved), once the recorded clock has left that tick; and once more at the end. The toolbox gives
    // the windows and their visibility.
    std::function<void(int64_t tick, Toolbox& toolbox)> frame;
};

// Builds a game on a ReplayHost, runs it to the end of the recording and reports how it went.
ReplayResult replayHeadless(const Recording& recording, const HeadlessOptions& options = {});
