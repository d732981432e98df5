#include "ReplayRun.h"

#include <cinttypes>
#include <cstdio>

#include "Ordnix.h"
#include "SessionFacts.h"

namespace ReplayRun {

std::string hashText(uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

std::vector<std::string> notes(const RecordingHeader& header) {
    std::vector<std::string> result;
    const FaceIdentity& face = resolvedFace();
    if (header.faceName != face.name || header.faceHash != face.hash)
        result.push_back("recorded with the text face \"" + header.faceName + "\" (" + hashText(header.faceHash) +
                         "), this machine has \"" + face.name + "\" (" + hashText(face.hash) +
                         "): text may be drawn differently");
    if (header.gameVersion != ordnixGameVersion())
        result.push_back("recorded by Ordnix " + header.gameVersion + ", this is Ordnix " + ordnixGameVersion());
    return result;
}

ReplayOutcome run(Ordnix& game, ReplayHost& host, const Recording& recording) {
    ReplayOutcome outcome;
    outcome.notes = notes(recording.header);
    outcome.truncation = recording.truncation;
    try {
        game.run();
        host.finish();
    } catch (const ReplayHost::EndOfRecording&) {
        // A cut-off file, or a session that ended inside a call the recording noted: replayed as far
        // as it goes.
    } catch (const ReplayHost::Divergence& divergence) {
        // The session may have been ended by the desktop inside the call asked now: then nothing
        // recorded is left over, and finish() verifies the session's last checkpoint.
        bool endedThere = recording.complete;
        if (endedThere) {
            try {
                host.finish();
            } catch (const ReplayHost::Divergence&) {
                endedThere = false;
            }
        }
        if (!endedThere) {
            outcome.status = ReplayOutcome::Status::diverged;
            outcome.message = divergence.what();
        }
    }
    if (outcome.status == ReplayOutcome::Status::exact && host.mismatch()) {
        outcome.status = ReplayOutcome::Status::checkpointMismatch;
        outcome.message = *host.mismatch();
    }
    outcome.checkpoints = host.checkpoints();
    return outcome;
}

} // namespace ReplayRun
