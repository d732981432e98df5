#include "RecordingHost.h"

#include <bit>

namespace {

constexpr int64_t battleMenu = 262;
constexpr size_t startBattleItem = 1;

} // namespace

int64_t menusHash(const std::vector<MenuState>& menus) {
    uint64_t h = 14695981039346656037ull;
    const auto mix = [&h](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    for (const MenuState& menu : menus) {
        mix(static_cast<uint64_t>(menu.id));
        mix(menu.enabled ? 1 : 0);
        for (size_t i = 0; i < menu.itemEnabled.size(); ++i)
            mix((menu.itemEnabled[i] ? 2u : 0u) | (i < menu.itemChecked.size() && menu.itemChecked[i] ? 1u : 0u));
    }
    // 31 bits keep the varint short and the value positive.
    return static_cast<int64_t>(h & 0x7FFFFFFF);
}

bool startBattleOffered(const std::vector<MenuState>& menus) {
    for (const MenuState& menu : menus)
        if (menu.id == battleMenu)
            return menu.itemEnabled.size() > startBattleItem && menu.itemEnabled[startBattleItem];
    return true;
}

RecordingHost::RecordingHost(std::shared_ptr<MacHost> inner, const std::string& path) : inner_(std::move(inner)) {
    header_.gameVersion = ordnixGameVersion();
    header_.startClock = inner_->secondsSince1970();
    header_.faceName = resolvedFace().name;
    header_.faceHash = resolvedFace().hash;
    writer_ = std::make_unique<RecordingWriter>(header_, path);
    if (!path.empty())
        watch_ = std::thread([this] { watchBlockedCalls(); });
}

RecordingHost::~RecordingHost() {
    if (!watch_.joinable())
        return;
    {
        std::lock_guard guard(watchLock_);
        stopWatch_ = true;
    }
    watchWake_.notify_all();
    watch_.join();
}

void RecordingHost::watchBlockedCalls() {
    std::unique_lock guard(watchLock_);
    while (!stopWatch_) {
        if (!blocked_) {
            watchWake_.wait(guard);
            continue;
        }
        const uint64_t serial = blockSerial_;
        const auto waitEnded = [&] { return stopWatch_ || !blocked_ || blockSerial_ != serial; };
        if (watchWake_.wait_for(guard, blockedFlushDelay, waitEnded))
            continue;
        // The game thread is parked in the inner host and comes back through watchLock_.
        if (!finished_ && writer_->pendingRawBytes() > 0)
            endChunk();
        watchWake_.wait(guard, waitEnded);
    }
}

template <typename Call>
auto RecordingHost::blocking(HostOp op, int64_t arg, Call&& call) {
    if (!watch_.joinable())
        return forward(op, arg, call);
    return forward(op, arg, [&] {
        // Declared inside the forwarded call, so the game thread has taken the writer back before
        // forward notes an unwinding call in it.
        struct Unblock {
            RecordingHost& host;
            ~Unblock() {
                std::lock_guard guard(host.watchLock_);
                host.blocked_ = false;
            }
        };
        {
            std::lock_guard guard(watchLock_);
            blocked_ = true;
            ++blockSerial_;
        }
        watchWake_.notify_all();
        const Unblock unblock{*this};
        return call();
    });
}

template <typename Write>
void RecordingHost::guarded(Write&& write) {
    if (finished_)
        return;
    try {
        write();
    } catch (const std::runtime_error& error) {
        writeError_ = error.what();
        finished_ = true;
    }
}

template <typename Call>
auto RecordingHost::forward(HostOp op, int64_t arg, Call&& call) {
    try {
        return call();
    } catch (...) {
        // The host ends the session by unwinding the game from this call: the replay ends there too.
        guarded([&] { writer_->interrupted(op, arg); });
        throw;
    }
}

void RecordingHost::record(HostOp op, int64_t arg, int64_t result, int64_t result2) {
    if (finished_)
        return;
    // Checked before the call is appended, so that a chunk never ends between a call and its checkpoint.
    if (++callsSinceClockCheck_ >= callsPerClockCheck) {
        callsSinceClockCheck_ = 0;
        if (std::chrono::steady_clock::now() - flushedAt_ >= flushInterval)
            endChunk();
    }
    guarded([&] { writer_->append(HostEvent{op, arg, result, result2}); });
}

void RecordingHost::streamTo(std::function<void(std::span<const uint8_t>)> sink) {
    live_ = true;
    guarded([&] { writer_->setSink(std::move(sink)); });
}

void RecordingHost::endLiveChunk() {
    // A game that reads the clock goes out at the next tick anyway (a chunk per wait would cost far more
    // than the calls in it), unless its clock stands still for longer; one that waits without reading
    // it may wait long. A loop that polls
    // unchanged input records only repeats and has nothing new to send.
    if (!live_ || finished_ || writer_->pendingRawBytes() == 0)
        return;
    if (!clockReadSinceChunk_ || std::chrono::steady_clock::now() - flushedAt_ >= liveChunkInterval)
        endChunk();
}

void RecordingHost::endChunk() {
    clockReadSinceChunk_ = false;
    guarded([&] { writer_->flush(); });
    flushedAtTick_ = lastTick_;
    flushedAt_ = std::chrono::steady_clock::now();
}

void RecordingHost::takeCheckpoint(CheckpointKind kind) {
    if (finished_)
        return;
    const Checkpoint checkpoint{kind, lastTick_, windows_.hash()};
    checkpoints_.push_back(checkpoint);
    guarded([&] { writer_->checkpoint(checkpoint); });
}

void RecordingHost::finish() {
    if (finished_)
        return;
    takeCheckpoint(CheckpointKind::sessionEnd);
    guarded([&] { writer_->finish(); });
    finished_ = true;
}

int64_t RecordingHost::tickCount() {
    const int64_t tick = forward(HostOp::tickCount, 0, [&] { return inner_->tickCount(); });
    record(HostOp::tickCount, 0, tick);
    lastTick_ = tick;
    if ((tick - flushedAtTick_ >= flushTicks || (live_ && tick != liveFlushedTick_)) && !finished_) {
        liveFlushedTick_ = tick;
        endChunk();
    }
    clockReadSinceChunk_ = true;
    return tick;
}

void RecordingHost::spin(int64_t passes) {
    forward(HostOp::spin, passes, [&] { inner_->spin(passes); });
    record(HostOp::spin, passes);
}

void RecordingHost::idle() {
    endLiveChunk();
    blocking(HostOp::idle, 0, [&] { inner_->idle(); });
    record(HostOp::idle);
}

bool RecordingHost::button() {
    const bool down = forward(HostOp::button, 0, [&] { return inner_->button(); });
    record(HostOp::button, 0, down ? 1 : 0);
    return down;
}

QuickDraw::Point RecordingHost::mouse(const Window& in) {
    windows_.note(in);
    const QuickDraw::Point point = forward(HostOp::mouse, rawValue(in.id()), [&] { return inner_->mouse(in); });
    record(HostOp::mouse, rawValue(in.id()), point.h, point.v);
    return point;
}

std::optional<int64_t> RecordingHost::takeMenuChoice() {
    const std::optional<int64_t> choice = forward(HostOp::takeMenuChoice, 0, [&] { return inner_->takeMenuChoice(); });
    record(HostOp::takeMenuChoice, 0, choice.value_or(0), choice ? 1 : 0);
    return choice;
}

void RecordingHost::setReadyForMenus(bool ready) {
    forward(HostOp::setReadyForMenus, ready ? 1 : 0, [&] { inner_->setReadyForMenus(ready); });
    record(HostOp::setReadyForMenus, ready ? 1 : 0);
}

void RecordingHost::flushEvents() {
    forward(HostOp::flushEvents, 0, [&] { inner_->flushEvents(); });
    record(HostOp::flushEvents);
}

void RecordingHost::showWindow(const Window& window) {
    windows_.note(window);
    forward(HostOp::showWindow, rawValue(window.id()), [&] { inner_->showWindow(window); });
    record(HostOp::showWindow, rawValue(window.id()));
}

void RecordingHost::hideWindow(const Window& window) {
    windows_.note(window);
    forward(HostOp::hideWindow, rawValue(window.id()), [&] { inner_->hideWindow(window); });
    record(HostOp::hideWindow, rawValue(window.id()));
}

void RecordingHost::menusChanged(const std::vector<MenuState>& menus) {
    const int64_t hash = menusHash(menus);
    forward(HostOp::menusChanged, hash, [&] { inner_->menusChanged(menus); });
    record(HostOp::menusChanged, hash);
    const bool offered = startBattleOffered(menus);
    if (!inBattle_ && !offered) {
        inBattle_ = true;
        takeCheckpoint(CheckpointKind::battleStart);
    } else if (inBattle_ && offered) {
        inBattle_ = false;
        takeCheckpoint(CheckpointKind::battleEnd);
        if (!finished_)
            endChunk();
    }
}

void RecordingHost::setCursor(CursorKind kind) {
    forward(HostOp::setCursor, rawValue(kind), [&] { inner_->setCursor(kind); });
    record(HostOp::setCursor, rawValue(kind));
}

void RecordingHost::showCursor(bool visible) {
    forward(HostOp::showCursor, visible ? 1 : 0, [&] { inner_->showCursor(visible); });
    record(HostOp::showCursor, visible ? 1 : 0);
}

int64_t RecordingHost::alert(int64_t id) {
    endLiveChunk();
    const int64_t item = blocking(HostOp::alert, id, [&] { return inner_->alert(id); });
    record(HostOp::alert, id, item);
    return item;
}

void RecordingHost::openDialog(const Dialog& dialog) {
    forward(HostOp::openDialog, dialog.id(), [&] { inner_->openDialog(dialog); });
    record(HostOp::openDialog, dialog.id());
}

void RecordingHost::dialogChanged(const Dialog& dialog) {
    forward(HostOp::dialogChanged, dialog.id(), [&] { inner_->dialogChanged(dialog); });
    record(HostOp::dialogChanged, dialog.id());
}

int64_t RecordingHost::modalDialog(const Dialog& dialog) {
    endLiveChunk();
    const int64_t item = blocking(HostOp::modalDialog, dialog.id(), [&] { return inner_->modalDialog(dialog); });
    record(HostOp::modalDialog, dialog.id(), item);
    return item;
}

void RecordingHost::closeDialog(const Dialog& dialog) {
    forward(HostOp::closeDialog, dialog.id(), [&] { inner_->closeDialog(dialog); });
    record(HostOp::closeDialog, dialog.id());
}

int64_t RecordingHost::soundVolume() {
    const int64_t volume = forward(HostOp::soundVolume, 0, [&] { return inner_->soundVolume(); });
    record(HostOp::soundVolume, 0, volume);
    return volume;
}

void RecordingHost::setSoundVolume(int64_t volume) {
    forward(HostOp::setSoundVolume, volume, [&] { inner_->setSoundVolume(volume); });
    record(HostOp::setSoundVolume, volume);
}

void RecordingHost::playSound(int64_t id) {
    forward(HostOp::playSound, id, [&] { inner_->playSound(id); });
    record(HostOp::playSound, id);
}

void RecordingHost::stopSound() {
    forward(HostOp::stopSound, 0, [&] { inner_->stopSound(); });
    record(HostOp::stopSound);
}

bool RecordingHost::soundDone() {
    const bool done = forward(HostOp::soundDone, 0, [&] { return inner_->soundDone(); });
    record(HostOp::soundDone, 0, done ? 1 : 0);
    return done;
}

void RecordingHost::sysBeep() {
    forward(HostOp::sysBeep, 0, [&] { inner_->sysBeep(); });
    record(HostOp::sysBeep);
}

double RecordingHost::secondsSince1970() {
    // The header holds the reading taken at construction; the core gets that same value.
    record(HostOp::secondsSince1970, 0, std::bit_cast<int64_t>(header_.startClock));
    return header_.startClock;
}
