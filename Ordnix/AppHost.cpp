#include "AppHost.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

#include <QApplication>
#include <QCoreApplication>
#include <QMetaObject>

#include "AppDelegate.h"
#include "SoundPlayer.h"

namespace {

int64_t uptimeMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::chrono::steady_clock::time_point atUptime(int64_t microseconds) {
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(microseconds));
}

// The window's offset from the field window in game pixels: its bounds against the field's (20, 0).
QuickDraw::Point offsetFromField(const Window& window) {
    const QuickDraw::Rect bounds = windowBounds(window.id());
    QuickDraw::Point offset;
    offset.v = bounds.top - 20;
    offset.h = bounds.left;
    return offset;
}

} // namespace

AppHost::AppHost() : sound(std::make_unique<SoundPlayer>()) {}

AppHost::~AppHost() = default;

int64_t AppHost::tickAt(int64_t microseconds) { return microseconds / 1'000'000 * 60 + microseconds % 1'000'000 * 60 / 1'000'000; }

int64_t AppHost::nextTickEdge(int64_t microseconds) {
    const int64_t next = tickAt(microseconds) + 1;
    // The first microsecond whose tick is `next`.
    return next / 60 * 1'000'000 + (next % 60 * 1'000'000 + 59) / 60;
}

// ---- time ----

int64_t AppHost::tickCount() {
    parkIfQuitting();
    readsTime = true;
    return tickAt(uptimeMicroseconds());
}

void AppHost::spin(int64_t passes) {
    parkIfQuitting();
    readsTime = true;
    const int64_t deadline = uptimeMicroseconds() + std::max<int64_t>(passes, 0) * 10;
    for (;;) {
        const int64_t left = deadline - uptimeMicroseconds();
        if (left <= 0)
            break;
        if (left > 2000) {
            std::unique_lock guard(lock);
            wake.wait_until(guard, atUptime(deadline - 1000), [this] { return quitRequested.load(); });
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        parkIfQuitting();
    }
}

void AppHost::idle() {
    parkIfQuitting();
    const bool waitsForInput = polled && !readsTime;
    polled = false;
    readsTime = false;
    if (waitsForInput) {
        waitForInput();
        return;
    }
    const int64_t edge = nextTickEdge(uptimeMicroseconds());
    {
        std::unique_lock guard(lock);
        const uint64_t seen = inputSerial;
        wake.wait_until(guard, atUptime(edge),
                        [this, seen] { return quitRequested.load() || inputSerial != seen; });
    }
    parkIfQuitting();
}

void AppHost::waitForInput() {
    queue([](AppDelegate& app) { app.gameSleeps(); });
    {
        std::unique_lock guard(lock);
        // Input that came after the first poll may not have been seen: then this returns at once.
        const uint64_t seen = polledSerial;
        wake.wait(guard, [this, seen] { return quitRequested.load() || inputSerial != seen; });
    }
    parkIfQuitting();
    queue([](AppDelegate& app) { app.gameWakes(); });
}

// ---- mouse and menus ----

bool AppHost::button() {
    parkIfQuitting();
    std::lock_guard guard(lock);
    notePoll();
    const bool result = down || clickPending;
    clickPending = false;
    return result;
}

QuickDraw::Point AppHost::mouse(const Window& in) {
    parkIfQuitting();
    readsTime = true;
    lastPointerRead = tickAt(uptimeMicroseconds());
    ScreenPoint pointer;
    ScreenRect field;
    double pixels = 1;
    {
        std::lock_guard guard(lock);
        pointer = mouseScreen;
        field = fieldRect;
        pixels = scale;
    }
    const QuickDraw::Point offset = offsetFromField(in);
    // A pointer on a pixel's left or top edge belongs to that pixel, also when a fractional scale
    // leaves the quotient a hair below the whole number.
    constexpr double edge = 1e-6;
    QuickDraw::Point local;
    local.h = static_cast<int64_t>(std::floor((pointer.x - field.x) / pixels + edge)) - offset.h;
    local.v = static_cast<int64_t>(std::floor((pointer.y - field.y) / pixels + edge)) - offset.v;
    return local;
}

std::optional<int64_t> AppHost::takeMenuChoice() {
    parkIfQuitting();
    std::lock_guard guard(lock);
    notePoll();
    if (menuChoices.empty())
        return std::nullopt;
    const int64_t choice = menuChoices.front();
    menuChoices.pop_front();
    return choice;
}

void AppHost::setReadyForMenus(bool newReady) {
    parkIfQuitting();
    bool old = false;
    {
        std::lock_guard guard(lock);
        old = ready;
        ready = newReady;
        if (!newReady)
            menuChoices.clear();
    }
    if (old != newReady)
        queue([](AppDelegate& app) { app.updateMenus(); });
}

void AppHost::flushEvents() {
    parkIfQuitting();
    std::lock_guard guard(lock);
    clickPending = false;
}

// ---- windows, menus, cursor ----

void AppHost::showWindow(const Window& window) {
    parkIfQuitting();
    const Window* shown = &window;
    queue([shown](AppDelegate& app) { app.show(*shown); });
}

void AppHost::hideWindow(const Window& window) {
    parkIfQuitting();
    const Window* hidden = &window;
    queue([hidden](AppDelegate& app) { app.hide(*hidden); });
}

void AppHost::menusChanged(const std::vector<MenuState>& menus) {
    parkIfQuitting();
    queue([menus](AppDelegate& app) {
        app.menuStates = menus;
        app.updateMenus();
    });
}

void AppHost::setCursor(CursorKind kind) {
    parkIfQuitting();
    queue([kind](AppDelegate& app) {
        app.cursorKind = kind;
        app.applyCursor();
    });
}

void AppHost::showCursor(bool visible) {
    parkIfQuitting();
    queue([visible](AppDelegate& app) { app.showCursor(visible); });
}

// ---- alerts and dialogs ----

int64_t AppHost::alert(int64_t id) {
    parkIfQuitting();
    {
        std::lock_guard guard(lock);
        dialogHits.clear();
    }
    queue([id](AppDelegate& app) { app.runAlert(id); });
    return waitForHit();
}

void AppHost::openDialog(const Dialog& dialog) {
    parkIfQuitting();
    {
        std::lock_guard guard(lock);
        dialogHits.clear();
    }
    const int64_t id = dialog.id();
    std::map<int64_t, int64_t> values = dialog.values();
    queue([id, values](AppDelegate& app) { app.openDialog(id, values); });
}

void AppHost::dialogChanged(const Dialog& dialog) {
    parkIfQuitting();
    std::map<int64_t, int64_t> values = dialog.values();
    queue([values](AppDelegate& app) { app.updateDialog(values); });
}

int64_t AppHost::modalDialog(const Dialog&) {
    parkIfQuitting();
    return waitForHit();
}

void AppHost::closeDialog(const Dialog&) {
    parkIfQuitting();
    queue([](AppDelegate& app) { app.closeDialog(); });
}

int64_t AppHost::waitForHit() {
    // Nothing on the screen changes while the game waits for a click.
    queue([](AppDelegate& app) { app.gameSleeps(); });
    const int64_t item = takeHit();
    queue([](AppDelegate& app) { app.gameWakes(); });
    return item;
}

int64_t AppHost::takeHit() {
    for (;;) {
        // Signals of hits that a new alert or dialog discarded are absorbed here: a wake-up with no hit
        // left simply waits again.
        dialogSignal.acquire();
        parkIfQuitting();
        std::lock_guard guard(lock);
        if (!dialogHits.empty()) {
            const int64_t item = dialogHits.front();
            dialogHits.pop_front();
            return item;
        }
    }
}

// ---- sound ----

int64_t AppHost::soundVolume() {
    parkIfQuitting();
    return sound->volume();
}

void AppHost::setSoundVolume(int64_t volume) {
    parkIfQuitting();
    sound->setVolume(std::clamp<int64_t>(volume, 0, 7));
}

void AppHost::playSound(int64_t id) {
    parkIfQuitting();
    readsTime = true;
    sound->play(id);
}

void AppHost::stopSound() {
    parkIfQuitting();
    sound->stop();
}

bool AppHost::soundDone() {
    parkIfQuitting();
    readsTime = true;
    return sound->soundDone();
}

void AppHost::sysBeep() {
    parkIfQuitting();
    queue([](AppDelegate&) { QApplication::beep(); });
}

// ---- main thread ----

void AppHost::choose(int64_t menu, int64_t item) {
    {
        std::lock_guard guard(lock);
        if (!ready)
            return;
        menuChoices.push_back(menu * 65536 + item);
        noteInput();
    }
    wake.notify_all();
}

void AppHost::dialogHit(int64_t item) {
    {
        std::lock_guard guard(lock);
        dialogHits.push_back(item);
        noteInput();
    }
    wake.notify_all();
    dialogSignal.release();
}

void AppHost::mousePressed(ScreenPoint pointer) {
    {
        std::lock_guard guard(lock);
        mouseScreen = pointer;
        down = true;
        clickPending = true;
        noteInput();
    }
    wake.notify_all();
}

void AppHost::mouseReleased(ScreenPoint pointer) {
    {
        std::lock_guard guard(lock);
        mouseScreen = pointer;
        down = false;
        noteInput();
    }
    wake.notify_all();
}

void AppHost::mouseMoved(ScreenPoint pointer) {
    {
        std::lock_guard guard(lock);
        if (mouseScreen.x == pointer.x && mouseScreen.y == pointer.y)
            return;
        mouseScreen = pointer;
        noteInput();
    }
    wake.notify_all();
}

void AppHost::inputArrived() {
    {
        std::lock_guard guard(lock);
        noteInput();
    }
    wake.notify_all();
}

void AppHost::setFieldRect(ScreenRect rect, double newScale) {
    std::lock_guard guard(lock);
    fieldRect = rect;
    scale = newScale;
}

bool AppHost::isReady() {
    std::lock_guard guard(lock);
    return ready;
}

bool AppHost::pointerWanted() {
    const int64_t last = lastPointerRead.load();
    return last >= 0 && tickAt(uptimeMicroseconds()) - last <= 120;
}

void AppHost::noteInput() { ++inputSerial; }

void AppHost::notePoll() {
    if (!polled)
        polledSerial = inputSerial;
    polled = true;
}

void AppHost::queue(Work work) {
    // The item holds the host strongly and finds the delegate when it runs.
    auto item = [self = shared_from_this(), work = std::move(work)] {
        if (AppDelegate* delegate = self->app.data())
            work(*delegate);
    };
    if (mainQueue) {
        mainQueue(std::move(item));
        return;
    }
    if (QCoreApplication* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, std::move(item), Qt::QueuedConnection);
}

// ---- quitting ----

void AppHost::beginQuit() {
    {
        std::lock_guard guard(lock);
        quitRequested = true;
    }
    wake.notify_all();
    dialogSignal.release();
}

bool AppHost::quitting() { return quitRequested.load(); }

void AppHost::parkIfQuitting() {
    if (quitRequested.load())
        park();
}

void AppHost::park() {
    rest_->announce();
    // The process ends around this thread; it must never run game code again.
    std::unique_lock guard(lock);
    for (;;)
        wake.wait(guard);
}

bool AppHost::waitForGameToRest(std::chrono::milliseconds timeout) { return rest_->waitFor(timeout); }

void AppHost::shutDownSound() {
    if (rest_->resting())
        sound.reset();
}

void AppHost::Rest::announce() {
    {
        std::lock_guard guard(mutex);
        resting_ = true;
    }
    changed.notify_all();
}

bool AppHost::Rest::waitFor(std::chrono::milliseconds timeout) {
    std::unique_lock guard(mutex);
    return changed.wait_for(guard, timeout, [this] { return resting_; });
}

bool AppHost::Rest::resting() {
    std::lock_guard guard(mutex);
    return resting_;
}
