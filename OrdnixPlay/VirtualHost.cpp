#include "VirtualHost.h"

#include <algorithm>
#include <utility>

namespace {

// a + b for non-negative b, held at the clock's end.
int64_t clockPlus(int64_t a, int64_t b) {
    return b > VirtualHost::maxClock - a ? VirtualHost::maxClock : a + b;
}

// micros = count x perUnit for non-negative count, held at the clock's end.
int64_t clockSpan(int64_t count, int64_t perUnit) {
    return count > VirtualHost::maxClock / perUnit ? VirtualHost::maxClock : count * perUnit;
}

} // namespace

VirtualHost::VirtualHost() {
    for (int64_t id = 128; id <= 132; ++id)
        soundTicks_[id] = defaultSoundTicks;
}

// ---- configuration ----

void VirtualHost::setIdleMicroseconds(int64_t micros) { idleMicros_ = std::max<int64_t>(micros, 0); }
void VirtualHost::setCallMicroseconds(int64_t micros) { callMicros_ = std::max<int64_t>(micros, 0); }
void VirtualHost::setWallClock(double secondsSince1970) { wallClock_ = secondsSince1970; }
void VirtualHost::setKnownDialogs(std::set<int64_t> ids) { knownDialogs_ = std::move(ids); }
void VirtualHost::setSoundTicks(int64_t id, int64_t ticks) { soundTicks_[id] = std::max<int64_t>(ticks, 0); }
void VirtualHost::setVolume(int64_t volume) { volume_ = std::clamp<int64_t>(volume, 0, 7); }

void VirtualHost::setRandSeed(int32_t seed) {
    // The game keeps the low 32 bits of (seconds since 1904): choose a count of 2^32 + seed's bit
    // pattern, a date in 2040, which is exact as a double.
    const int64_t since1904 = (int64_t{1} << 32) + static_cast<int64_t>(static_cast<uint32_t>(seed));
    wallClock_ = static_cast<double>(since1904 - classicEpochOffset);
}

// ---- input ----

void VirtualHost::movePointer(QuickDraw::Point global) { mouse_ = global; }

void VirtualHost::movePointer(WindowID window, int64_t h, int64_t v) {
    const QuickDraw::Rect frame = windowBounds(window);
    mouse_ = QuickDraw::Point(h + frame.left, v + frame.top);
}

void VirtualHost::press() {
    down_ = true;
    remembered_ = true;
}

void VirtualHost::release() { down_ = false; }

bool VirtualHost::queueMenuChoice(int64_t choice) {
    if (!ready_) {
        dropped_.push_back(choice);
        return false;
    }
    menuQueue_.push_back(choice);
    return true;
}

void VirtualHost::queueDialogHit(int64_t item) { hits_.push_back(item); }

const MenuState* VirtualHost::menu(int64_t id) const {
    for (const MenuState& state : menus_)
        if (state.id == id)
            return &state;
    return nullptr;
}

// ---- the machinery ----

void VirtualHost::beginCall(HostOp, int64_t) { advance(callMicros_); }

void VirtualHost::clockMoved() {
    if (clock_ == maxClock)
        throw Stalled("the virtual clock reached its end");
}

void VirtualHost::awaitHit(const std::string& what) { throw Stalled(what + " waits for a click that nobody gives"); }

void VirtualHost::advance(int64_t micros) {
    clock_ = clockPlus(clock_, micros);
    clockMoved();
}

int64_t VirtualHost::nextHit(const std::string& what) {
    for (;;) {
        stateChanged();
        if (!hits_.empty()) {
            const int64_t item = hits_.front();
            hits_.pop_front();
            return item;
        }
        awaitHit(what);
        advance(idleMicros_);
    }
}

// ---- MacHost ----

int64_t VirtualHost::tickCount() {
    beginCall(HostOp::tickCount, 0);
    const int64_t tick = ticks();
    callDone({.op = HostOp::tickCount, .result = tick, .hasResult = true});
    return tick;
}

void VirtualHost::spin(int64_t passes) {
    beginCall(HostOp::spin, passes);
    if (passes > 0) {
        advance(clockSpan(passes, microsPerSpinPass));
        stateChanged();
    }
    callDone({.op = HostOp::spin, .arg = passes});
}

void VirtualHost::idle() {
    beginCall(HostOp::idle, 0);
    advance(idleMicros_);
    stateChanged();
    callDone({.op = HostOp::idle});
}

bool VirtualHost::button() {
    beginCall(HostOp::button, 0);
    const bool result = down_ || remembered_;
    remembered_ = false;
    callDone({.op = HostOp::button, .result = result ? 1 : 0, .hasResult = true});
    return result;
}

QuickDraw::Point VirtualHost::mouse(const Window& in) {
    beginCall(HostOp::mouse, rawValue(in.id()));
    const QuickDraw::Rect frame = in.bounds();
    const QuickDraw::Point local(mouse_.h - frame.left, mouse_.v - frame.top);
    callDone({.op = HostOp::mouse, .arg = rawValue(in.id()), .window = &in});
    return local;
}

std::optional<int64_t> VirtualHost::takeMenuChoice() {
    beginCall(HostOp::takeMenuChoice, 0);
    if (menuQueue_.empty()) {
        polledEmpty_ = true;
        callDone({.op = HostOp::takeMenuChoice});
        return std::nullopt;
    }
    polledEmpty_ = false;
    const int64_t choice = menuQueue_.front();
    menuQueue_.pop_front();
    callDone({.op = HostOp::takeMenuChoice, .result = choice, .hasResult = true});
    return choice;
}

void VirtualHost::setReadyForMenus(bool ready) {
    beginCall(HostOp::setReadyForMenus, ready ? 1 : 0);
    ready_ = ready;
    if (!ready) {
        polledEmpty_ = false;
        dropped_.insert(dropped_.end(), menuQueue_.begin(), menuQueue_.end());
        menuQueue_.clear();
    }
    callDone({.op = HostOp::setReadyForMenus, .arg = ready ? 1 : 0});
    // A choice waiting for "when the core polls" must not be offered in the instant it stops reading.
    stateChanged();
}

void VirtualHost::flushEvents() {
    beginCall(HostOp::flushEvents, 0);
    remembered_ = false;
    callDone({.op = HostOp::flushEvents});
}

void VirtualHost::showWindow(const Window& window) {
    const int64_t id = rawValue(window.id());
    beginCall(HostOp::showWindow, id);
    if (!shownWindows_.insert(window.id()).second)
        protocolErrors_.push_back("showWindow(" + std::to_string(id) + ") while shown");
    callDone({.op = HostOp::showWindow, .arg = id, .window = &window});
    stateChanged();
}

void VirtualHost::hideWindow(const Window& window) {
    const int64_t id = rawValue(window.id());
    beginCall(HostOp::hideWindow, id);
    if (shownWindows_.erase(window.id()) == 0)
        protocolErrors_.push_back("hideWindow(" + std::to_string(id) + ") while hidden");
    callDone({.op = HostOp::hideWindow, .arg = id, .window = &window});
    stateChanged();
}

void VirtualHost::menusChanged(const std::vector<MenuState>& menus) {
    beginCall(HostOp::menusChanged, static_cast<int64_t>(menus.size()));
    for (size_t i = 1; i < menus.size(); ++i)
        if (menus[i - 1].id >= menus[i].id)
            protocolErrors_.push_back("menusChanged: menu ids not strictly ascending");
    // Menus are never removed, so a publication without one that was published before is a difference.
    for (const MenuState& earlier : menus_)
        if (std::none_of(menus.begin(), menus.end(), [&](const MenuState& m) { return m.id == earlier.id; }))
            protocolErrors_.push_back("menusChanged without menu " + std::to_string(earlier.id));
    menus_ = menus;
    callDone({.op = HostOp::menusChanged, .arg = static_cast<int64_t>(menus.size()), .menus = &menus});
    stateChanged();
}

void VirtualHost::setCursor(CursorKind kind) {
    beginCall(HostOp::setCursor, rawValue(kind));
    cursor_ = kind;
    callDone({.op = HostOp::setCursor, .arg = rawValue(kind)});
}

void VirtualHost::showCursor(bool visible) {
    beginCall(HostOp::showCursor, visible ? 1 : 0);
    if (!visible)
        ++hideDepth_;
    else if (hideDepth_ > 0)
        --hideDepth_;
    callDone({.op = HostOp::showCursor, .arg = visible ? 1 : 0});
}

int64_t VirtualHost::alert(int64_t id) {
    beginCall(HostOp::alert, id);
    if (knownDialogs_.count(id) == 0) {
        callDone({.op = HostOp::alert, .arg = id, .result = 1});
        return 1;
    }
    hits_.clear();
    showingAlert_ = id;
    struct Closer {
        std::optional<int64_t>& showing;
        ~Closer() { showing.reset(); }
    } closer{showingAlert_};
    const int64_t item = nextHit("alert(" + std::to_string(id) + ")");
    callDone({.op = HostOp::alert, .arg = id, .result = item, .hasResult = true});
    return item;
}

void VirtualHost::openDialog(const Dialog& dialog) {
    beginCall(HostOp::openDialog, dialog.id());
    if (openDialog_)
        protocolErrors_.push_back("openDialog(" + std::to_string(dialog.id()) + ") while dialog " +
                                  std::to_string(*openDialog_) + " is open");
    hits_.clear();
    openDialog_ = dialog.id();
    callDone({.op = HostOp::openDialog, .arg = dialog.id(), .dialog = &dialog});
    stateChanged();
}

void VirtualHost::dialogChanged(const Dialog& dialog) {
    beginCall(HostOp::dialogChanged, dialog.id());
    if (openDialog_ != dialog.id()) {
        protocolErrors_.push_back("dialogChanged(" + std::to_string(dialog.id()) + ") for a dialog that is not open");
        return;
    }
    callDone({.op = HostOp::dialogChanged, .arg = dialog.id(), .dialog = &dialog});
}

int64_t VirtualHost::modalDialog(const Dialog& dialog) {
    beginCall(HostOp::modalDialog, dialog.id());
    if (openDialog_ != dialog.id())
        protocolErrors_.push_back("modalDialog(" + std::to_string(dialog.id()) + ") for a dialog that is not open");
    const int64_t item = nextHit("modalDialog(" + std::to_string(dialog.id()) + ")");
    callDone({.op = HostOp::modalDialog, .arg = dialog.id(), .result = item, .hasResult = openDialog_.has_value(),
              .dialog = &dialog});
    return item;
}

void VirtualHost::closeDialog(const Dialog& dialog) {
    beginCall(HostOp::closeDialog, dialog.id());
    if (openDialog_ != dialog.id()) {
        protocolErrors_.push_back("closeDialog(" + std::to_string(dialog.id()) + ") for a dialog that is not open");
        return;
    }
    openDialog_.reset();
    callDone({.op = HostOp::closeDialog, .arg = dialog.id(), .dialog = &dialog});
    stateChanged();
}

int64_t VirtualHost::soundVolume() {
    beginCall(HostOp::soundVolume, 0);
    callDone({.op = HostOp::soundVolume, .result = volume_, .hasResult = true});
    return volume_;
}

void VirtualHost::setSoundVolume(int64_t volume) {
    beginCall(HostOp::setSoundVolume, volume);
    volume_ = std::clamp<int64_t>(volume, 0, 7);
    callDone({.op = HostOp::setSoundVolume, .arg = volume});
}

void VirtualHost::playSound(int64_t id) {
    beginCall(HostOp::playSound, id);
    if (volume_ == 0)
        protocolErrors_.push_back("playSound(" + std::to_string(id) + ") while the volume is 0");
    const auto sound = soundTicks_.find(id);
    if (sound == soundTicks_.end()) {
        callDone({.op = HostOp::playSound, .arg = id});
        return;
    }
    const int64_t duration = clockSpan(sound->second, microsPerSecond) / ticksPerSecond;
    soundEnd_ = clockPlus(std::max(soundEnd_, clock_), duration);
    callDone({.op = HostOp::playSound, .arg = id, .hasResult = true});
}

void VirtualHost::stopSound() {
    beginCall(HostOp::stopSound, 0);
    soundEnd_ = clock_;
    callDone({.op = HostOp::stopSound});
}

bool VirtualHost::soundDone() {
    beginCall(HostOp::soundDone, 0);
    const bool done = clock_ >= soundEnd_;
    callDone({.op = HostOp::soundDone, .result = done ? 1 : 0, .hasResult = true});
    return done;
}

void VirtualHost::sysBeep() {
    beginCall(HostOp::sysBeep, 0);
    callDone({.op = HostOp::sysBeep});
}

double VirtualHost::secondsSince1970() {
    beginCall(HostOp::secondsSince1970, 0);
    callDone({.op = HostOp::secondsSince1970});
    return wallClock_;
}
