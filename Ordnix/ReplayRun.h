// ReplayRun: runs a game built on a ReplayHost to the end of its recording and says how it went.
//
// A recording ends in one of three ways, all of them a normal end of the replay:
// - the game's run() returned (the game's own Quit), and the replay's returns at the same call;
// - the desktop ended the session (Quit Ordnix, the close box, a signal) while the game was inside a
//   host call: that call was never answered, so the replay's game asks for it once more where the
//   recording ends; nothing is left to answer it, and the replay ends there as the session did;
// - the file was cut off: the replay stops where the whole chunks end (the truncation note says where).
// Anything else the game asks that the recording does not hold is a divergence.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Recording.h"
#include "ReplayHost.h"

class Ordnix;

struct ReplayOutcome {
    enum class Status { exact, diverged, checkpointMismatch };
    Status status = Status::exact;
    // The divergence or the first failed checkpoint.
    std::string message;
    std::optional<std::string> truncation;
    // What differs between the recording's machine and this one (text face, game version).
    std::vector<std::string> notes;
    std::vector<CheckpointResult> checkpoints;

    // The command's exit status: 0 exact, 3 diverged or a checkpoint failed.
    int exitStatus() const { return status == Status::exact ? 0 : 3; }
};

namespace ReplayRun {

// Runs `game` on `host` (built on `recording`); the replay's exceptions end here.
ReplayOutcome run(Ordnix& game, ReplayHost& host, const Recording& recording);

// The notes for a recording made on another machine or by another version; empty when none.
std::vector<std::string> notes(const RecordingHeader& header);

// "0123456789abcdef": a checkpoint hash as the command prints it.
std::string hashText(uint64_t hash);

} // namespace ReplayRun
