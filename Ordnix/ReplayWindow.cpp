#include "ReplayWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>

#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>

#include "AppDelegate.h"
#include "Ordnix.h"
#include "ReplayHost.h"
#include "ReplayRun.h"

// ---- ReplayPacer ----

double ReplayPacer::position(double seconds) {
    return paused_ ? basePosition_ : basePosition_ + (seconds - baseSeconds_) * 60 * speed_;
}

void ReplayPacer::rebase(double seconds) {
    basePosition_ = position(seconds);
    baseSeconds_ = seconds;
}

void ReplayPacer::togglePause(double seconds) {
    rebase(seconds);
    paused_ = !paused_;
}

void ReplayPacer::changeSpeed(double factor, double seconds) {
    rebase(seconds);
    speed_ = std::clamp(speed_ * factor, minSpeed, maxSpeed);
}

// ---- ReplayWindow ----

// Shared with the game thread: the pacer (under `mutex`) and the replay's end.
struct ReplayWindow::Shared {
    std::mutex mutex;
    ReplayPacer pacer;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    bool started = false;
    int64_t firstTick = 0;
    std::optional<ReplayOutcome> outcome;

    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    // Whether the replay may go on to `tick` now.
    bool due(int64_t tick) {
        std::lock_guard guard(mutex);
        if (!started) {
            started = true;
            firstTick = tick;
            start = std::chrono::steady_clock::now();
        }
        return pacer.position(seconds()) >= static_cast<double>(tick - firstTick);
    }
};

ReplayWindow::ReplayWindow(std::shared_ptr<const Recording> recording, QString fileName)
    : recording_(std::move(recording)), fileName_(std::move(fileName)), shared_(std::make_shared<Shared>()) {}

ReplayWindow::~ReplayWindow() = default;

void ReplayWindow::install(AppDelegate& delegate) {
    delegate_ = &delegate;
    std::shared_ptr<AppHost> display = delegate.host;
    ReplayOptions options;
    options.display = display;
    // Waiting in the AppHost's idle keeps the game thread where quitting can park it.
    options.tickReached = [shared = shared_, display](int64_t, int64_t tick) {
        while (!shared->due(tick))
            display->idle();
    };
    auto replayHost = std::make_shared<ReplayHost>(*recording_, options);
    delegate.coreHost = replayHost;
    delegate.runGame = [replayHost, recording = recording_, shared = shared_, display, self = QPointer(this),
                        file = fileName_.toStdString()](Ordnix& game) {
        const ReplayOutcome outcome = ReplayRun::run(game, *replayHost, *recording);
        for (const std::string& note : outcome.notes)
            std::fprintf(stderr, "ordnix: %s: note: %s\n", file.c_str(), note.c_str());
        if (outcome.truncation)
            std::fprintf(stderr, "ordnix: %s: note: %s\n", file.c_str(), outcome.truncation->c_str());
        if (outcome.status != ReplayOutcome::Status::exact)
            std::fprintf(stderr, "ordnix: %s: %s\n", file.c_str(), outcome.message.c_str());
        {
            std::lock_guard guard(shared->mutex);
            shared->outcome = outcome;
        }
        QMetaObject::invokeMethod(self, [self] {
            if (self)
                self->updateTitle();
        }, Qt::QueuedConnection);
        // The window keeps the last picture; the thread waits in the host until the player quits.
        for (;;)
            display->idle();
    };
}

void ReplayWindow::attach(AppDelegate& delegate) {
    delegate_ = &delegate;
    QWidget* window = delegate.fieldWindow.get();
    const auto addKey = [this, window](QKeySequence key, auto action) {
        auto* shortcut = new QShortcut(key, window);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            {
                std::lock_guard guard(shared_->mutex);
                action(shared_->pacer, shared_->seconds());
            }
            updateTitle();
        });
    };
    addKey(QKeySequence(Qt::Key_Space), [](ReplayPacer& pacer, double now) { pacer.togglePause(now); });
    for (const Qt::Key key : {Qt::Key_Plus, Qt::Key_Equal})
        addKey(QKeySequence(key), [](ReplayPacer& pacer, double now) { pacer.changeSpeed(2, now); });
    addKey(QKeySequence(Qt::Key_Minus), [](ReplayPacer& pacer, double now) { pacer.changeSpeed(0.5, now); });
    updateTitle();
}

void ReplayWindow::updateTitle() {
    if (!delegate_ || !delegate_->fieldWindow)
        return;
    QString title = QStringLiteral("Ordnix \u2014 replay of %1").arg(QFileInfo(fileName_).fileName());
    std::lock_guard guard(shared_->mutex);
    if (shared_->outcome) {
        title += shared_->outcome->status == ReplayOutcome::Status::exact ? QStringLiteral(" (ended)")
                                                                          : QStringLiteral(" (diverged)");
    } else {
        if (shared_->pacer.paused())
            title += QStringLiteral(" (paused)");
        if (shared_->pacer.speed() != 1)
            title += QStringLiteral(" \u00d7%1").arg(shared_->pacer.speed());
    }
    delegate_->fieldWindow->setWindowTitle(title);
}
