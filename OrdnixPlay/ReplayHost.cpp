#include "ReplayHost.h"

#include <array>
#include <bit>
#include <sstream>

#include "Ordnix.h"
#include "RecordingHost.h"

namespace {

std::string hex(uint64_t v) {
    std::ostringstream out;
    out << std::hex << v;
    return out.str();
}

std::string asked(HostOp op, int64_t arg) {
    std::string text = hostOpName(op);
    if (hostOpHasArgument(op))
        text += "(" + std::to_string(arg) + ")";
    return text;
}

} // namespace

ReplayHost::ReplayHost(const Recording& recording, ReplayOptions options)
    : recording_(recording), options_(std::move(options)), cursor_(recording) {
    advanceCursor();
}

void ReplayHost::advanceCursor() { pending_ = cursor_.next(); }

void ReplayHost::awaitItem() {
    while (!pending_ && !recording_.complete && options_.more && options_.more())
        advanceCursor();
}

const HostEvent& ReplayHost::expect(HostOp op, int64_t arg) {
    if (repeatsLeft_ == 0) {
        awaitItem();
        if (!pending_) {
            if (!recording_.complete)
                throw EndOfRecording{};
            throw Divergence(calls_, "call " + std::to_string(calls_) + ": the recording ended, the game asked " +
                                         asked(op, arg));
        }
        if (pending_->kind == StreamItem::Kind::interrupted && pending_->event.op == op && pending_->event.arg == arg) {
            advanceCursor();
            verifyTrailingCheckpoints();
            endedInCall_ = true;
            throw EndOfRecording{};
        }
        if (pending_->kind != StreamItem::Kind::call)
            throw Divergence(calls_, "call " + std::to_string(calls_) +
                                         ": the recorded session ended here, the game asked " + asked(op, arg));
        current_ = pending_->event;
        repeatsLeft_ = pending_->repeat;
        advanceCursor();
    }
    if (current_.op != op || current_.arg != arg)
        throw Divergence(calls_, "call " + std::to_string(calls_) + ": expected " + asked(current_.op, current_.arg) +
                                     ", the game asked " + asked(op, arg));
    --repeatsLeft_;
    ++calls_;
    return current_;
}

void ReplayHost::verifyCheckpoints() {
    if (repeatsLeft_ > 0)
        return;
    // The session-end checkpoint is taken after run() returns: finish() verifies it.
    while (pending_ && pending_->kind == StreamItem::Kind::checkpoint &&
           pending_->checkpoint.kind != CheckpointKind::sessionEnd) {
        const CheckpointResult result{pending_->checkpoint, windows_.hash()};
        checkpoints_.push_back(result);
        if (!result.matches() && !mismatch_)
            mismatch_ = "checkpoint " + std::to_string(checkpoints_.size()) + " (" +
                        checkpointKindName(result.recorded.kind) + ", tick " +
                        std::to_string(result.recorded.tick) + ", after call " + std::to_string(calls_) +
                        "): recorded hash " + hex(result.recorded.hash) + ", replayed " + hex(result.replayed);
        advanceCursor();
    }
}

void ReplayHost::finish() {
    if (repeatsLeft_ == 0)
        awaitItem();
    verifyTrailingCheckpoints();
    if (repeatsLeft_ > 0 || (pending_ && pending_->kind != StreamItem::Kind::end))
        throw Divergence(calls_, "call " + std::to_string(calls_) + ": the game ended, the recording expected " +
                                     asked(repeatsLeft_ > 0 ? current_.op : pending_->event.op,
                                           repeatsLeft_ > 0 ? current_.arg : pending_->event.arg));
}

void ReplayHost::verifyTrailingCheckpoints() {
    for (awaitItem(); pending_ && pending_->kind == StreamItem::Kind::checkpoint; awaitItem()) {
        const CheckpointResult result{pending_->checkpoint, windows_.hash()};
        checkpoints_.push_back(result);
        if (!result.matches() && !mismatch_)
            mismatch_ = "checkpoint " + std::to_string(checkpoints_.size()) + " (" +
                        checkpointKindName(result.recorded.kind) + ", tick " +
                        std::to_string(result.recorded.tick) + "): recorded hash " + hex(result.recorded.hash) +
                        ", replayed " + hex(result.replayed);
        advanceCursor();
    }
}

int64_t ReplayHost::tickCount() {
    const int64_t tick = expect(HostOp::tickCount).result;
    if (tick != tick_) {
        const int64_t previous = tick_;
        tick_ = tick;
        if (options_.tickReached)
            options_.tickReached(previous, tick);
    }
    verifyCheckpoints();
    return tick;
}

void ReplayHost::spin(int64_t passes) {
    expect(HostOp::spin, passes);
    verifyCheckpoints();
}

void ReplayHost::idle() {
    expect(HostOp::idle);
    verifyCheckpoints();
}

bool ReplayHost::button() {
    const bool down = expect(HostOp::button).result != 0;
    verifyCheckpoints();
    return down;
}

QuickDraw::Point ReplayHost::mouse(const Window& in) {
    windows_.note(in);
    const HostEvent& e = expect(HostOp::mouse, rawValue(in.id()));
    const QuickDraw::Point point(e.result, e.result2);
    verifyCheckpoints();
    return point;
}

std::optional<int64_t> ReplayHost::takeMenuChoice() {
    const HostEvent& e = expect(HostOp::takeMenuChoice);
    const std::optional<int64_t> choice = e.result2 ? std::optional<int64_t>(e.result) : std::nullopt;
    verifyCheckpoints();
    return choice;
}

void ReplayHost::setReadyForMenus(bool ready) {
    expect(HostOp::setReadyForMenus, ready ? 1 : 0);
    if (options_.display)
        options_.display->setReadyForMenus(ready);
    verifyCheckpoints();
}

void ReplayHost::flushEvents() {
    expect(HostOp::flushEvents);
    verifyCheckpoints();
}

void ReplayHost::showWindow(const Window& window) {
    windows_.note(window);
    expect(HostOp::showWindow, rawValue(window.id()));
    if (options_.display)
        options_.display->showWindow(window);
    verifyCheckpoints();
}

void ReplayHost::hideWindow(const Window& window) {
    windows_.note(window);
    expect(HostOp::hideWindow, rawValue(window.id()));
    if (options_.display)
        options_.display->hideWindow(window);
    verifyCheckpoints();
}

void ReplayHost::menusChanged(const std::vector<MenuState>& menus) {
    expect(HostOp::menusChanged, menusHash(menus));
    menus_ = menus;
    if (options_.display && options_.greyMenus) {
        std::vector<MenuState> greyed = menus;
        for (MenuState& menu : greyed)
            menu.enabled = false;
        options_.display->menusChanged(greyed);
    } else if (options_.display) {
        options_.display->menusChanged(menus);
    }
    verifyCheckpoints();
}

void ReplayHost::setCursor(CursorKind kind) {
    expect(HostOp::setCursor, rawValue(kind));
    if (options_.display)
        options_.display->setCursor(kind);
    verifyCheckpoints();
}

void ReplayHost::showCursor(bool visible) {
    expect(HostOp::showCursor, visible ? 1 : 0);
    if (options_.display)
        options_.display->showCursor(visible);
    verifyCheckpoints();
}

int64_t ReplayHost::alert(int64_t id) {
    const int64_t item = expect(HostOp::alert, id).result;
    verifyCheckpoints();
    return item;
}

void ReplayHost::openDialog(const Dialog& dialog) {
    expect(HostOp::openDialog, dialog.id());
    if (options_.display)
        options_.display->openDialog(dialog);
    verifyCheckpoints();
}

void ReplayHost::dialogChanged(const Dialog& dialog) {
    expect(HostOp::dialogChanged, dialog.id());
    if (options_.display)
        options_.display->dialogChanged(dialog);
    verifyCheckpoints();
}

int64_t ReplayHost::modalDialog(const Dialog& dialog) {
    const int64_t item = expect(HostOp::modalDialog, dialog.id()).result;
    verifyCheckpoints();
    return item;
}

void ReplayHost::closeDialog(const Dialog& dialog) {
    expect(HostOp::closeDialog, dialog.id());
    if (options_.display)
        options_.display->closeDialog(dialog);
    verifyCheckpoints();
}

int64_t ReplayHost::soundVolume() {
    const int64_t volume = expect(HostOp::soundVolume).result;
    verifyCheckpoints();
    return volume;
}

void ReplayHost::setSoundVolume(int64_t volume) {
    expect(HostOp::setSoundVolume, volume);
    verifyCheckpoints();
}

void ReplayHost::playSound(int64_t id) {
    expect(HostOp::playSound, id);
    if (options_.display)
        options_.display->playSound(id);
    verifyCheckpoints();
}

void ReplayHost::stopSound() {
    expect(HostOp::stopSound);
    if (options_.display)
        options_.display->stopSound();
    verifyCheckpoints();
}

bool ReplayHost::soundDone() {
    const bool done = expect(HostOp::soundDone).result != 0;
    verifyCheckpoints();
    return done;
}

void ReplayHost::sysBeep() {
    expect(HostOp::sysBeep);
    if (options_.display)
        options_.display->sysBeep();
    verifyCheckpoints();
}

double ReplayHost::secondsSince1970() {
    const double clock = std::bit_cast<double>(expect(HostOp::secondsSince1970).result);
    verifyCheckpoints();
    return clock;
}

// ---- headless replay ----

ReplayResult replayHeadless(const Recording& recording, const HeadlessOptions& options) {
    ReplayResult result;
    const FaceIdentity& face = resolvedFace();
    if (recording.header.faceName != face.name || recording.header.faceHash != face.hash)
        result.notes.push_back("recorded with the text face \"" + recording.header.faceName + "\" (" +
                               hex(recording.header.faceHash) + "), this machine resolves \"" + face.name + "\" (" +
                               hex(face.hash) + "): text pixels may differ");
    if (recording.header.gameVersion != ordnixGameVersion())
        result.notes.push_back("recorded by game version " + recording.header.gameVersion + ", this is " +
                               ordnixGameVersion());
    result.truncation = recording.truncation;

    Ordnix* game = nullptr;
    std::array<int64_t, 3> seen{};
    const auto changed = [&] {
        bool moved = false;
        for (size_t i = 0; i < allWindowIDs.size(); ++i) {
            const int64_t count = game->window(allWindowIDs[i]).port().bitmap.changeCount();
            moved = moved || count != seen[i];
            seen[i] = count;
        }
        return moved;
    };
    ReplayOptions replayOptions;
    if (options.frame)
        replayOptions.tickReached = [&](int64_t previous, int64_t) {
            if (game != nullptr && changed())
                options.frame(previous, *game);
        };
    auto host = std::make_shared<ReplayHost>(recording, replayOptions);
    try {
        Ordnix ordnix(host);
        game = &ordnix;
        try {
            ordnix.run();
            host->finish();
        } catch (const ReplayHost::EndOfRecording&) {
            // A truncated recording: the replay goes as far as the file.
        } catch (const ReplayHost::Divergence& divergence) {
            result.status = ReplayResult::Status::diverged;
            result.message = divergence.what();
        }
        if (options.frame && changed())
            options.frame(host->currentTick(), ordnix);
        for (WindowID id : allWindowIDs) {
            const Window& window = ordnix.window(id);
            const QuickDraw::Bitmap& bitmap = window.port().bitmap;
            result.windows.push_back(
                {id, window.visible(), bitmap.width(), bitmap.height(), bitmap.bits()});
        }
        game = nullptr;
    } catch (const ReplayHost::EndOfRecording&) {
    } catch (const ReplayHost::Divergence& divergence) {
        result.status = ReplayResult::Status::diverged;
        result.message = divergence.what();
    }
    if (result.status == ReplayResult::Status::exact && host->mismatch()) {
        result.status = ReplayResult::Status::checkpointMismatch;
        result.message = *host->mismatch();
    }
    result.checkpoints = host->checkpoints();
    result.calls = host->callIndex();
    result.finalTick = host->currentTick();
    result.menus = host->menus();
    return result;
}
