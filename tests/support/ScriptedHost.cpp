#include "ScriptedHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>
#include <utility>

namespace {

constexpr int64_t microsPerSecond = 1'000'000;
constexpr int64_t ticksPerSecond = 60;
constexpr int64_t microsPerSpinPass = 10;
constexpr int64_t defaultSoundTicks = 30;
// Seconds from 1904-01-01 to 1970-01-01: the game's seed counts from the older epoch.
constexpr int64_t classicEpochOffset = 2082844800;
// The clock stops here, so that ticks (clock x 60) never overflow; the time limit is met long before.
constexpr int64_t maxClock = std::numeric_limits<int64_t>::max() / ticksPerSecond;

// a + b for non-negative b, held at maxClock.
int64_t clockPlus(int64_t a, int64_t b) { return b > maxClock - a ? maxClock : a + b; }

// micros = count x perUnit for non-negative count, held at maxClock.
int64_t clockSpan(int64_t count, int64_t perUnit) { return count > maxClock / perUnit ? maxClock : count * perUnit; }

std::string choiceText(int64_t choice) {
    std::ostringstream out;
    out << (choice >> 16) << "/" << (choice & 0xFFFF);
    return out.str();
}

} // namespace

const char* hostOpName(HostOp op) {
    switch (op) {
    case HostOp::tickCount: return "tickCount";
    case HostOp::spin: return "spin";
    case HostOp::idle: return "idle";
    case HostOp::button: return "button";
    case HostOp::mouse: return "mouse";
    case HostOp::takeMenuChoice: return "takeMenuChoice";
    case HostOp::setReadyForMenus: return "setReadyForMenus";
    case HostOp::flushEvents: return "flushEvents";
    case HostOp::showWindow: return "showWindow";
    case HostOp::hideWindow: return "hideWindow";
    case HostOp::menusChanged: return "menusChanged";
    case HostOp::setCursor: return "setCursor";
    case HostOp::showCursor: return "showCursor";
    case HostOp::alert: return "alert";
    case HostOp::openDialog: return "openDialog";
    case HostOp::dialogChanged: return "dialogChanged";
    case HostOp::modalDialog: return "modalDialog";
    case HostOp::closeDialog: return "closeDialog";
    case HostOp::soundVolume: return "soundVolume";
    case HostOp::setSoundVolume: return "setSoundVolume";
    case HostOp::playSound: return "playSound";
    case HostOp::stopSound: return "stopSound";
    case HostOp::soundDone: return "soundDone";
    case HostOp::sysBeep: return "sysBeep";
    case HostOp::secondsSince1970: return "secondsSince1970";
    }
    return "?";
}

std::string ScriptedHost::LogEntry::text() const {
    std::ostringstream out;
    out << "[tick " << tick << "] " << hostOpName(op) << "(" << arg << ")";
    if (count > 1)
        out << " x" << count;
    return out.str();
}

ScriptedHost::ScriptedHost()
    : timeLimitTicks_(10 * 60 * ticksPerSecond), frontCalls_(hostOpCount, 0), callCounts_(hostOpCount, 0) {
    for (int64_t id = 128; id <= 132; ++id)
        soundTicks_[id] = defaultSoundTicks;
}

// ---- configuration ----

void ScriptedHost::setTimeLimitTicks(int64_t ticks) { timeLimitTicks_ = ticks; }
void ScriptedHost::setIdleMicroseconds(int64_t micros) { idleMicros_ = std::max<int64_t>(micros, 0); }
void ScriptedHost::setCallMicroseconds(int64_t micros) { callMicros_ = std::max<int64_t>(micros, 0); }
void ScriptedHost::setWallClock(double secondsSince1970) { wallClock_ = secondsSince1970; }
void ScriptedHost::setKnownDialogs(std::set<int64_t> ids) { knownDialogs_ = std::move(ids); }

void ScriptedHost::setRandSeed(int32_t seed) {
    // The game keeps the low 32 bits of (seconds since 1904): choose a count of 2^32 + seed's bit
    // pattern, a date in 2040, which is exact as a double.
    const int64_t since1904 = (int64_t{1} << 32) + static_cast<int64_t>(static_cast<uint32_t>(seed));
    wallClock_ = static_cast<double>(since1904 - classicEpochOffset);
}

void ScriptedHost::setSoundTicks(int64_t id, int64_t ticks) { soundTicks_[id] = std::max<int64_t>(ticks, 0); }

bool ScriptedHost::run(const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const ScenarioEnd&) {
        return true;
    } catch (const ScriptFailure& failure) {
        ADD_FAILURE() << failure.what();
        return false;
    }
}

// ---- script steps ----

void ScriptedHost::addStep(std::string what, std::function<bool(const ScriptedHost&)> ready,
                           std::function<void(ScriptedHost&)> action) {
    if (steps_.empty()) {
        frontSince_ = clock_;
        frontCalls_ = callCounts_;
    }
    steps_.push_back(Step{std::move(what), std::move(ready), std::move(action)});
}

void ScriptedHost::waitTicks(int64_t ticks) {
    addStep("wait " + std::to_string(ticks) + " ticks",
            [ticks](const ScriptedHost& h) { return h.ticksAt(h.clock_) - h.ticksAt(h.frontSince_) >= ticks; },
            {});
}

void ScriptedHost::waitUntilTick(int64_t tick) {
    addStep("wait until tick " + std::to_string(tick), [tick](const ScriptedHost& h) { return h.ticks() >= tick; },
            {});
}

void ScriptedHost::waitForMenuPoll() {
    addStep("wait until the core polls for menus", [](const ScriptedHost& h) { return h.corePollsForMenus(); }, {});
}

void ScriptedHost::waitForWindowShown(WindowID id) {
    addStep("wait until window " + std::to_string(rawValue(id)) + " is shown",
            [id](const ScriptedHost& h) { return h.windowShown(id); }, {});
}

void ScriptedHost::waitForWindowHidden(WindowID id) {
    addStep("wait until window " + std::to_string(rawValue(id)) + " is hidden",
            [id](const ScriptedHost& h) { return !h.windowShown(id); }, {});
}

void ScriptedHost::waitForDialog(int64_t id) {
    addStep("wait until dialog " + std::to_string(id) + " is open",
            [id](const ScriptedHost& h) { return h.openDialogID() == id; }, {});
}

void ScriptedHost::waitForCalls(HostOp op, int64_t count) {
    addStep("wait for " + std::to_string(count) + " more " + hostOpName(op) + " calls",
            [op, count](const ScriptedHost& h) {
                const auto index = static_cast<size_t>(op);
                return h.callCounts_[index] - h.frontCalls_[index] >= count;
            },
            {});
}

void ScriptedHost::waitUntil(std::string what, std::function<bool(const ScriptedHost&)> condition) {
    addStep("wait until " + what, std::move(condition), {});
}

void ScriptedHost::pressAt(WindowID window, int64_t h, int64_t v) {
    addStep("press at (h " + std::to_string(h) + ", v " + std::to_string(v) + ")", {},
            [window, h, v](ScriptedHost& host) {
                host.setMouse(window, h, v);
                host.setButton(true);
            });
}

void ScriptedHost::moveMouse(WindowID window, int64_t h, int64_t v) {
    addStep("move the mouse to (h " + std::to_string(h) + ", v " + std::to_string(v) + ")", {},
            [window, h, v](ScriptedHost& host) { host.setMouse(window, h, v); });
}

void ScriptedHost::release() {
    addStep("release the button", {}, [](ScriptedHost& host) { host.setButton(false); });
}

void ScriptedHost::clickAt(WindowID window, int64_t h, int64_t v) {
    addStep("click at (h " + std::to_string(h) + ", v " + std::to_string(v) + ")", {},
            [window, h, v](ScriptedHost& host) {
                host.setMouse(window, h, v);
                host.setButton(true);
                host.setButton(false);
            });
}

void ScriptedHost::drag(WindowID window, int64_t h0, int64_t v0, int64_t h1, int64_t v1, int64_t steps,
                        int64_t ticksPerStep) {
    steps = std::max<int64_t>(steps, 1);
    pressAt(window, h0, v0);
    for (int64_t i = 1; i <= steps; ++i) {
        waitTicks(ticksPerStep);
        moveMouse(window, h0 + (h1 - h0) * i / steps, v0 + (v1 - v0) * i / steps);
    }
    // Hold at the end point for one more step, so that a polling loop sees it with the button down.
    waitTicks(ticksPerStep);
    release();
}

void ScriptedHost::chooseMenu(int64_t menu, int64_t item) { chooseMenuRaw((menu << 16) + item); }

void ScriptedHost::chooseMenuRaw(int64_t choice) {
    addStep("choose menu " + choiceText(choice) + " when the core polls for menus",
            [](const ScriptedHost& h) { return h.corePollsForMenus(); },
            [choice](ScriptedHost& host) { host.offerMenuChoice(choice); });
}

void ScriptedHost::chooseMenuNow(int64_t menu, int64_t item) {
    const int64_t choice = (menu << 16) + item;
    addStep("choose menu " + choiceText(choice) + " now", {},
            [choice](ScriptedHost& host) { host.offerMenuChoice(choice); });
}

void ScriptedHost::quit() { chooseMenu(257, 1); }

void ScriptedHost::answerDialog(int64_t id, std::vector<int64_t> items) {
    std::string what = "answer dialog ";
    what += std::to_string(id);
    what += " with items";
    for (int64_t item : items) {
        what += ' ';
        what += std::to_string(item);
    }
    addStep(what, [id](const ScriptedHost& h) { return h.openDialogID() == id; },
            [items = std::move(items)](ScriptedHost& host) {
                for (int64_t item : items)
                    host.offerDialogHit(item);
            });
}

void ScriptedHost::hitItem(int64_t item) {
    addStep("hit item " + std::to_string(item), {}, [item](ScriptedHost& host) { host.offerDialogHit(item); });
}

void ScriptedHost::perform(std::string what, std::function<void(ScriptedHost&)> action) {
    addStep(std::move(what), {}, std::move(action));
}

void ScriptedHost::endScenario() {
    addStep("end the scenario", {}, [](ScriptedHost& host) {
        host.ended_ = true;
        throw ScenarioEnd{};
    });
}

// ---- immediate input ----

void ScriptedHost::setMouse(WindowID window, int64_t h, int64_t v) {
    const QuickDraw::Rect frame = windowBounds(window);
    mouse_ = QuickDraw::Point(h + frame.left, v + frame.top);
}

void ScriptedHost::setMouseGlobal(QuickDraw::Point global) { mouse_ = global; }

void ScriptedHost::setButton(bool down) {
    down_ = down;
    if (down)
        remembered_ = true;
}

bool ScriptedHost::offerMenuChoice(int64_t choice) {
    if (!ready_) {
        dropped_.push_back(choice);
        return false;
    }
    menuQueue_.push_back(choice);
    return true;
}

void ScriptedHost::offerDialogHit(int64_t item) { hits_.push_back(item); }

// ---- records ----

int64_t ScriptedHost::ticksAt(int64_t micros) const { return micros * ticksPerSecond / microsPerSecond; }
int64_t ScriptedHost::ticks() const { return ticksAt(clock_); }

const std::vector<MenuState>& ScriptedHost::menus() const {
    static const std::vector<MenuState> none;
    return menuPublications_.empty() ? none : menuPublications_.back();
}

const MenuState* ScriptedHost::menu(int64_t id) const {
    for (const MenuState& state : menus())
        if (state.id == id)
            return &state;
    return nullptr;
}

std::optional<int64_t> ScriptedHost::openDialogID() const {
    if (showingAlert_)
        return showingAlert_;
    if (openDialog_)
        return dialogs_[*openDialog_].id;
    return std::nullopt;
}

std::string ScriptedHost::nextStep() const { return steps_.empty() ? std::string("none") : steps_.front().what; }

std::string ScriptedHost::recentCalls() const {
    std::string text;
    const size_t first = log_.size() > 12 ? log_.size() - 12 : 0;
    for (size_t i = first; i < log_.size(); ++i)
        text += "\n    " + log_[i].text();
    return text;
}

void ScriptedHost::fail(const std::string& why) const {
    std::ostringstream out;
    out << "ScriptedHost: " << why << " (virtual time " << clock_ / 1000 << " ms, tick " << ticks() << "; "
        << stepsDone_ << " script steps done, next: " << nextStep() << "). Last host calls:" << recentCalls();
    throw ScriptFailure(out.str());
}

// ---- the machinery ----

void ScriptedHost::advance(int64_t micros) {
    clock_ = clockPlus(clock_, micros);
    if (ticks() > timeLimitTicks_)
        fail("virtual time limit of " + std::to_string(timeLimitTicks_) + " ticks exceeded");
    if (clock_ == maxClock)
        fail("the virtual clock reached its end");
}

void ScriptedHost::enter(HostOp op, int64_t arg, bool runDueSteps) {
    if (ended_)
        throw ScenarioEnd{};
    const auto index = static_cast<size_t>(op);
    ++callCounts_[index];
    if (!log_.empty() && log_.back().op == op && log_.back().arg == arg)
        ++log_.back().count;
    else
        log_.push_back(LogEntry{op, arg, 1, ticks()});
    advance(callMicros_);
    if (runDueSteps)
        pump();
}

void ScriptedHost::pump() {
    if (pumping_)
        return;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{pumping_};
    pumping_ = true;
    while (!steps_.empty()) {
        if (steps_.front().ready && !steps_.front().ready(*this))
            break;
        std::function<void(ScriptedHost&)> action = std::move(steps_.front().action);
        steps_.pop_front();
        ++stepsDone_;
        frontSince_ = clock_;
        frontCalls_ = callCounts_;
        if (action)
            action(*this);
    }
}

int64_t ScriptedHost::waitForHit(const std::string& what) {
    for (;;) {
        pump();
        if (!hits_.empty()) {
            const int64_t item = hits_.front();
            hits_.pop_front();
            return item;
        }
        if (steps_.empty())
            fail(what + " waits for a click but the script has no step left to give one");
        advance(idleMicros_);
    }
}

// ---- MacHost ----

int64_t ScriptedHost::tickCount() {
    enter(HostOp::tickCount, 0);
    return ticks();
}

void ScriptedHost::spin(int64_t passes) {
    enter(HostOp::spin, passes);
    if (passes > 0) {
        advance(clockSpan(passes, microsPerSpinPass));
        pump();
    }
}

void ScriptedHost::idle() {
    enter(HostOp::idle, 0);
    advance(idleMicros_);
    pump();
}

bool ScriptedHost::button() {
    enter(HostOp::button, 0);
    const bool result = down_ || remembered_;
    remembered_ = false;
    return result;
}

QuickDraw::Point ScriptedHost::mouse(const Window& in) {
    enter(HostOp::mouse, rawValue(in.id()));
    const QuickDraw::Rect frame = in.bounds();
    return QuickDraw::Point(mouse_.h - frame.left, mouse_.v - frame.top);
}

std::optional<int64_t> ScriptedHost::takeMenuChoice() {
    enter(HostOp::takeMenuChoice, 0);
    if (menuQueue_.empty()) {
        polledEmpty_ = true;
        return std::nullopt;
    }
    polledEmpty_ = false;
    const int64_t choice = menuQueue_.front();
    menuQueue_.pop_front();
    delivered_.push_back(choice);
    // The log shows the choice handed out, not the merged "nothing" of the polls before it.
    LogEntry& last = log_.back();
    if (last.count == 1)
        last.arg = choice;
    else {
        --last.count;
        log_.push_back(LogEntry{HostOp::takeMenuChoice, choice, 1, ticks()});
    }
    return choice;
}

void ScriptedHost::setReadyForMenus(bool ready) {
    // Due steps run after the change: a choice scripted for "when the core polls" must not be
    // offered in the instant the core stops reading menus.
    enter(HostOp::setReadyForMenus, ready ? 1 : 0, false);
    ready_ = ready;
    if (!ready) {
        polledEmpty_ = false;
        dropped_.insert(dropped_.end(), menuQueue_.begin(), menuQueue_.end());
        menuQueue_.clear();
    }
    pump();
}

void ScriptedHost::flushEvents() {
    enter(HostOp::flushEvents, 0);
    remembered_ = false;
}

void ScriptedHost::showWindow(const Window& window) {
    enter(HostOp::showWindow, rawValue(window.id()));
    if (!shownWindows_.insert(window.id()).second)
        protocolErrors_.push_back("showWindow(" + std::to_string(rawValue(window.id())) + ") while shown");
    windowEvents_.push_back(WindowEvent{window.id(), true, ticks()});
    pump();
}

void ScriptedHost::hideWindow(const Window& window) {
    enter(HostOp::hideWindow, rawValue(window.id()));
    if (shownWindows_.erase(window.id()) == 0)
        protocolErrors_.push_back("hideWindow(" + std::to_string(rawValue(window.id())) + ") while hidden");
    windowEvents_.push_back(WindowEvent{window.id(), false, ticks()});
    pump();
}

void ScriptedHost::menusChanged(const std::vector<MenuState>& menus) {
    enter(HostOp::menusChanged, static_cast<int64_t>(menus.size()));
    for (size_t i = 1; i < menus.size(); ++i)
        if (menus[i - 1].id >= menus[i].id)
            protocolErrors_.push_back("menusChanged: menu ids not strictly ascending");
    // Menus are never removed, so a publication without one that was published before is a difference.
    for (const MenuState& earlier : this->menus())
        if (std::none_of(menus.begin(), menus.end(), [&](const MenuState& m) { return m.id == earlier.id; }))
            protocolErrors_.push_back("menusChanged without menu " + std::to_string(earlier.id));
    menuPublications_.push_back(menus);
    pump();
}

void ScriptedHost::setCursor(CursorKind kind) {
    enter(HostOp::setCursor, static_cast<int64_t>(kind));
    cursors_.push_back(kind);
}

void ScriptedHost::showCursor(bool visible) {
    enter(HostOp::showCursor, visible ? 1 : 0);
    if (!visible)
        ++hideDepth_;
    else if (hideDepth_ > 0)
        --hideDepth_;
}

int64_t ScriptedHost::alert(int64_t id) {
    enter(HostOp::alert, id);
    if (knownDialogs_.count(id) == 0) {
        alerts_.push_back(AlertRecord{id, 1, false});
        return 1;
    }
    hits_.clear();
    showingAlert_ = id;
    struct Closer {
        std::optional<int64_t>& showing;
        ~Closer() { showing.reset(); }
    } closer{showingAlert_};
    const int64_t item = waitForHit("alert(" + std::to_string(id) + ")");
    alerts_.push_back(AlertRecord{id, item, true});
    return item;
}

void ScriptedHost::openDialog(const Dialog& dialog) {
    enter(HostOp::openDialog, dialog.id());
    if (openDialog_)
        protocolErrors_.push_back("openDialog(" + std::to_string(dialog.id()) + ") while dialog " +
                                  std::to_string(dialogs_[*openDialog_].id) + " is open");
    hits_.clear();
    dialogs_.push_back(DialogRecord{dialog.id(), {dialog.values()}, {}, false});
    openDialog_ = dialogs_.size() - 1;
    pump();
}

void ScriptedHost::dialogChanged(const Dialog& dialog) {
    enter(HostOp::dialogChanged, dialog.id());
    if (!openDialog_ || dialogs_[*openDialog_].id != dialog.id()) {
        protocolErrors_.push_back("dialogChanged(" + std::to_string(dialog.id()) + ") for a dialog that is not open");
        return;
    }
    dialogs_[*openDialog_].pushes.push_back(dialog.values());
}

int64_t ScriptedHost::modalDialog(const Dialog& dialog) {
    enter(HostOp::modalDialog, dialog.id());
    if (!openDialog_ || dialogs_[*openDialog_].id != dialog.id())
        protocolErrors_.push_back("modalDialog(" + std::to_string(dialog.id()) + ") for a dialog that is not open");
    const int64_t item = waitForHit("modalDialog(" + std::to_string(dialog.id()) + ")");
    if (openDialog_)
        dialogs_[*openDialog_].hits.push_back(item);
    return item;
}

void ScriptedHost::closeDialog(const Dialog& dialog) {
    enter(HostOp::closeDialog, dialog.id());
    if (!openDialog_ || dialogs_[*openDialog_].id != dialog.id()) {
        protocolErrors_.push_back("closeDialog(" + std::to_string(dialog.id()) + ") for a dialog that is not open");
        return;
    }
    dialogs_[*openDialog_].closed = true;
    openDialog_.reset();
    pump();
}

int64_t ScriptedHost::soundVolume() {
    enter(HostOp::soundVolume, 0);
    return volume_;
}

void ScriptedHost::setSoundVolume(int64_t volume) {
    enter(HostOp::setSoundVolume, volume);
    volumeWrites_.push_back(volume);
    volume_ = std::clamp<int64_t>(volume, 0, 7);
}

void ScriptedHost::playSound(int64_t id) {
    enter(HostOp::playSound, id);
    if (volume_ == 0)
        protocolErrors_.push_back("playSound(" + std::to_string(id) + ") while the volume is 0");
    const auto sound = soundTicks_.find(id);
    if (sound == soundTicks_.end())
        return;
    soundsPlayed_.push_back(id);
    const int64_t duration = clockSpan(sound->second, microsPerSecond) / ticksPerSecond;
    soundEnd_ = clockPlus(std::max(soundEnd_, clock_), duration);
}

void ScriptedHost::stopSound() {
    enter(HostOp::stopSound, 0);
    ++stops_;
    soundEnd_ = clock_;
}

bool ScriptedHost::soundDone() {
    enter(HostOp::soundDone, 0);
    return clock_ >= soundEnd_;
}

void ScriptedHost::sysBeep() {
    enter(HostOp::sysBeep, 0);
    ++beeps_;
}

double ScriptedHost::secondsSince1970() {
    enter(HostOp::secondsSince1970, 0);
    return wallClock_;
}
