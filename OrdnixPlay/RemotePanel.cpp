#include "RemotePanel.h"

#include <chrono>

#include "BattleMenu.h"
#include "NetProtocol.h"
#include "Ordnix.h"

namespace {

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

RemotePanel::RemotePanel(std::shared_ptr<MacHost> inner, int64_t side, std::function<int64_t()> nowMs)
    : ForwardingHost(std::move(inner)), side_(side), nowMs_(nowMs ? std::move(nowMs) : steadyMs) {}

RemotePanel::Guest RemotePanel::guestLocked() const {
    if (guest_ == Guest::away && nowMs_() - leftAt_ >= Net::rejoinWindowMs)
        guest_ = Guest::replaced;
    return guest_;
}

bool RemotePanel::guestJoined() {
    std::lock_guard guard(mutex_);
    if (guestLocked() == Guest::replaced)
        return false;
    guest_ = Guest::present;
    queue_.clear();
    current_.down = false;
    return true;
}

void RemotePanel::guestLeft() {
    std::lock_guard guard(mutex_);
    if (guestLocked() != Guest::present)
        return;
    guest_ = Guest::away;
    leftAt_ = nowMs_();
    queue_.clear();
    current_.down = false;
}

void RemotePanel::guestInput(Input input) {
    {
        std::lock_guard guard(mutex_);
        if (guestLocked() != Guest::present)
            return;
        if (queue_.size() >= maxQueued)
            queue_.pop_front();
        queue_.push_back(input);
    }
    inputArrived_.notify_all();
}

void RemotePanel::idle() {
    if (!guestAims())
        return inner_->idle();
    {
        std::unique_lock guard(mutex_);
        inputArrived_.wait_for(guard, idleSlice, [this] { return !queue_.empty(); });
    }
    (void)inner_->tickCount(); // a quitting desktop parks the game in its calls
}

RemotePanel::Guest RemotePanel::guest() const {
    std::lock_guard guard(mutex_);
    return guestLocked();
}

bool RemotePanel::waitingForGuest() const {
    if (!aiming_)
        return false;
    const Guest g = guest();
    return g == Guest::awaited || g == Guest::away;
}

bool RemotePanel::guestAims() const { return aiming_ && guest() != Guest::replaced; }

void RemotePanel::menusChanged(const std::vector<MenuState>& menus) {
    const bool aims = BattleMenu::read(menus).aiming() && game_ != nullptr && game_->gTurn == side_;
    if (aims && !aiming_) {
        // A turn starts from the guest's hand as it is now; what it sent before belongs to the last one.
        std::lock_guard guard(mutex_);
        queue_.clear();
        current_.down = false;
    }
    aiming_ = aims;
    inner_->menusChanged(menus);
}

bool RemotePanel::button() {
    if (!guestAims())
        return inner_->button();
    (void)inner_->button(); // the host person's hand is off the guest's panel
    std::lock_guard guard(mutex_);
    if (guestLocked() != Guest::present)
        return false;
    if (!queue_.empty()) {
        current_ = queue_.front();
        queue_.pop_front();
    }
    return current_.down;
}

QuickDraw::Point RemotePanel::mouse(const Window& in) {
    if (!guestAims())
        return inner_->mouse(in);
    (void)inner_->mouse(in);
    Input at;
    {
        std::lock_guard guard(mutex_);
        at = current_;
    }
    const QuickDraw::Rect field = windowBounds(WindowID::field);
    const QuickDraw::Rect to = in.bounds();
    return QuickDraw::Point(at.h + field.left - to.left, at.v + field.top - to.top);
}
