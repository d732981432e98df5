#include "ScriptedHost.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace {

std::string choiceText(int64_t choice) {
    std::ostringstream out;
    out << (choice >> 16) << "/" << (choice & 0xFFFF);
    return out.str();
}

} // namespace

std::string ScriptedHost::LogEntry::text() const {
    std::ostringstream out;
    out << "[tick " << tick << "] " << hostOpName(op) << "(" << arg << ")";
    if (count > 1)
        out << " x" << count;
    return out.str();
}

ScriptedHost::ScriptedHost()
    : timeLimitTicks_(10 * 60 * ticksPerSecond), frontCalls_(hostOpCount, 0), callCounts_(hostOpCount, 0) {}

void ScriptedHost::setTimeLimitTicks(int64_t ticks) { timeLimitTicks_ = ticks; }

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
        frontSince_ = clockMicroseconds();
        frontCalls_ = callCounts_;
    }
    steps_.push_back(Step{std::move(what), std::move(ready), std::move(action)});
}

void ScriptedHost::waitTicks(int64_t ticks) {
    addStep("wait " + std::to_string(ticks) + " ticks",
            [ticks](const ScriptedHost& h) { return h.ticks() - ticksAt(h.frontSince_) >= ticks; },
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
                host.movePointer(window, h, v);
                host.press();
            });
}

void ScriptedHost::moveMouse(WindowID window, int64_t h, int64_t v) {
    addStep("move the mouse to (h " + std::to_string(h) + ", v " + std::to_string(v) + ")", {},
            [window, h, v](ScriptedHost& host) { host.movePointer(window, h, v); });
}

void ScriptedHost::release() {
    addStep("release the button", {}, [](ScriptedHost& host) { host.VirtualHost::release(); });
}

void ScriptedHost::clickAt(WindowID window, int64_t h, int64_t v) {
    addStep("click at (h " + std::to_string(h) + ", v " + std::to_string(v) + ")", {},
            [window, h, v](ScriptedHost& host) {
                host.movePointer(window, h, v);
                host.press();
                host.VirtualHost::release();
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

void ScriptedHost::chooseMenu(int64_t menu, int64_t item) {
    const int64_t choice = (menu << 16) + item;
    addStep("choose menu " + choiceText(choice) + " when the core polls for menus",
            [](const ScriptedHost& h) { return h.corePollsForMenus(); },
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
                    host.queueDialogHit(item);
            });
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

// ---- records ----

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
    out << "ScriptedHost: " << why << " (virtual time " << clockMicroseconds() / 1000 << " ms, tick " << ticks()
        << "; " << stepsDone_ << " script steps done, next: " << nextStep() << "). Last host calls:" << recentCalls();
    throw ScriptFailure(out.str());
}

// ---- the machinery ----

void ScriptedHost::clockMoved() {
    if (ticks() > timeLimitTicks_)
        fail("virtual time limit of " + std::to_string(timeLimitTicks_) + " ticks exceeded");
    if (clockMicroseconds() == maxClock)
        fail("the virtual clock reached its end");
}

void ScriptedHost::beginCall(HostOp op, int64_t arg) {
    if (ended_)
        throw ScenarioEnd{};
    const auto index = static_cast<size_t>(op);
    ++callCounts_[index];
    if (!log_.empty() && log_.back().op == op && log_.back().arg == arg)
        ++log_.back().count;
    else
        log_.push_back(LogEntry{op, arg, 1, ticks()});
    VirtualHost::beginCall(op, arg);
    // Due steps run after setReadyForMenus has made its change, not before.
    if (op != HostOp::setReadyForMenus)
        pump();
}

void ScriptedHost::awaitHit(const std::string& what) {
    if (steps_.empty())
        fail(what + " waits for a click but the script has no step left to give one");
}

void ScriptedHost::callDone(const CallDetail& call) {
    switch (call.op) {
    case HostOp::takeMenuChoice:
        if (call.hasResult) {
            // The log shows the choice handed out, not the merged "nothing" of the polls before it.
            LogEntry& last = log_.back();
            if (last.count == 1)
                last.arg = call.result;
            else {
                --last.count;
                log_.push_back(LogEntry{HostOp::takeMenuChoice, call.result, 1, ticks()});
            }
        }
        break;
    case HostOp::menusChanged: menuPublications_.push_back(*call.menus); break;
    case HostOp::setCursor: cursors_.push_back(static_cast<CursorKind>(call.arg)); break;
    case HostOp::openDialog:
        dialogs_.push_back(DialogRecord{call.arg, {call.dialog->values()}, {}, false});
        openDialog_ = dialogs_.size() - 1;
        break;
    case HostOp::dialogChanged:
        if (openDialog_)
            dialogs_[*openDialog_].pushes.push_back(call.dialog->values());
        break;
    case HostOp::modalDialog:
        if (openDialog_)
            dialogs_[*openDialog_].hits.push_back(call.result);
        break;
    case HostOp::closeDialog:
        if (openDialog_)
            dialogs_[*openDialog_].closed = true;
        openDialog_.reset();
        break;
    case HostOp::setSoundVolume: volumeWrites_.push_back(call.arg); break;
    case HostOp::playSound:
        if (call.hasResult)
            soundsPlayed_.push_back(call.arg);
        break;
    case HostOp::sysBeep: ++beeps_; break;
    default: break;
    }
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
        frontSince_ = clockMicroseconds();
        frontCalls_ = callCounts_;
        if (action)
            action(*this);
    }
}
