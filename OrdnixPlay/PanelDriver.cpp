#include "PanelDriver.h"

#include <algorithm>

#include "BattleMenu.h"
#include "Ordnix.h"

namespace {
QuickDraw::Point lerp(QuickDraw::Point a, QuickDraw::Point b, int64_t step, int64_t steps) {
    if (step >= steps)
        return b;
    return QuickDraw::Point(a.h + (b.h - a.h) * step / steps, a.v + (b.v - a.v) * step / steps);
}

QuickDraw::Point centre(const QuickDraw::Rect& r) {
    return QuickDraw::Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}
} // namespace

PanelDriver::PanelDriver(std::shared_ptr<MacHost> inner, uint64_t seed) : ForwardingHost(std::move(inner)), seed_(seed) {}

void PanelDriver::setPlayer(int64_t side, Player player) {
    if (side != 1 && side != 2)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    players_[static_cast<size_t>(side - 1)] = player;
}

PanelDriver::Player PanelDriver::player(int64_t side) const {
    if (side != 1 && side != 2)
        return {};
    std::lock_guard<std::mutex> lock(mutex_);
    return players_[static_cast<size_t>(side - 1)];
}

std::optional<QuickDraw::Point> PanelDriver::drivenPointer() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pointer_;
}

void PanelDriver::setDrivingChanged(std::function<void(bool)> callback) {
    std::lock_guard<std::mutex> lock(mutex_);
    drivingChanged_ = std::move(callback);
}

void PanelDriver::publishPointer(std::optional<QuickDraw::Point> p) {
    if (p)
        lastPointer_ = *p;
    std::function<void(bool)> changed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pointer_.has_value() != p.has_value())
            changed = drivingChanged_;
        pointer_ = p;
    }
    if (changed)
        changed(p.has_value());
}

void PanelDriver::menusChanged(const std::vector<MenuState>& menus) {
    const BattleMenu battle = BattleMenu::read(menus);
    if (battle.startOn)
        battleAtRest_ = true;
    aiming_ = battle.aiming();
    if (!aiming_ && turn_) {
        turn_.reset();
        publishPointer(std::nullopt);
    }
    inner_->menusChanged(menus);
}

bool PanelDriver::computerAims() {
    if (!aiming_ || game_ == nullptr || (game_->gTurn != 1 && game_->gTurn != 2))
        return false;
    if (turn_)
        return true;
    const int64_t shooter = game_->gTurn;
    const auto side = static_cast<size_t>(shooter - 1);
    const Player who = player(shooter);
    if (!who.computer)
        return false;

    if (!computers_[side] || computers_[side]->skill() != *who.computer)
        computers_[side] = std::make_unique<ComputerPlayer>(*who.computer, seed_ + side);
    if (battleAtRest_) {
        for (auto& computer : computers_)
            if (computer)
                computer->newBattle();
        battleAtRest_ = false;
    }

    Turn turn;
    turn.shooter = shooter;
    const int64_t began = inner_->tickCount();
    turn.from = game_->gFieldWindow ? inner_->mouse(*game_->gFieldWindow) : lastPointer_;
    if (!simulator_)
        simulator_ = std::make_unique<ShotSimulator>();
    simulator_->load(*game_);
    turn.shot = computers_[side]->choose(*simulator_, shooter);
    turn.start = inner_->tickCount();
    const int64_t searched = turn.start - began;
    turn.nominalStart = std::min(searched, thinkTicks);
    turn.remaining = fireTick - turn.nominalStart;
    turn.budget = std::min(turn.remaining, std::max(shortestMotion, latestFireTick - searched));
    turn_ = turn;
    return true;
}

PanelDriver::Hand PanelDriver::handAt(int64_t elapsed) const {
    const Turn& turn = *turn_;
    const bool left = turn.shooter == 1;
    const QuickDraw::Rect& pow = game_->gPowSlider;
    const QuickDraw::Rect& ele = game_->gEleSlider;
    const int64_t powRow = (pow.top + pow.bottom) / 2, eleRow = (ele.top + ele.bottom) / 2;
    const int64_t powderNow = left ? game_->gPowderL : game_->gPowderR;
    const int64_t elevationNow = left ? game_->gElevL : game_->gElevR;
    // The knob of a value: the column a press must hit to set it.
    const QuickDraw::Point powderTo(pow.left + turn.shot.powder - ShotSimulator::minPowder, powRow);
    const QuickDraw::Point elevationTo(ele.left + turn.shot.elevation, eleRow);

    int64_t t = elapsed;
    if (t < thinkTicks)
        return {lerp(turn.from, QuickDraw::Point(pow.left + powderNow - ShotSimulator::minPowder, powRow), t,
                     thinkTicks)};
    t -= thinkTicks;
    if (t < dragTicks + holdTicks)
        return {lerp(QuickDraw::Point(pow.left + powderNow - ShotSimulator::minPowder, powRow), powderTo, t,
                     dragTicks),
                true};
    t -= dragTicks + holdTicks;
    const QuickDraw::Point elevationFrom(ele.left + elevationNow, eleRow);
    if (t < moveTicks)
        return {lerp(powderTo, elevationFrom, t, moveTicks)};
    t -= moveTicks;
    if (t < dragTicks + holdTicks)
        return {lerp(elevationFrom, elevationTo, t, dragTicks), true};
    t -= dragTicks + holdTicks;
    const QuickDraw::Point fire = centre(game_->gFireRect);
    if (elapsed < fireTick)
        return {lerp(elevationTo, fire, t, moveTicks)};
    return {fire, false, true};
}

PanelDriver::Hand PanelDriver::handNow() {
    const Turn& turn = *turn_;
    const int64_t real = std::max<int64_t>(0, inner_->tickCount() - turn.start);
    const int64_t nominal = real >= turn.budget ? fireTick : turn.nominalStart + real * turn.remaining / turn.budget;
    const Hand hand = handAt(nominal);
    publishPointer(hand.at);
    return hand;
}

bool PanelDriver::button() {
    if (!computerAims())
        return inner_->button();
    (void)inner_->button(); // the person's hand is off the panel during the computer's turn
    const Hand hand = handNow();
    if (hand.fire) {
        if (turn_->fired)
            return false;
        turn_->fired = true;
        ++computerShots_[static_cast<size_t>(turn_->shooter - 1)];
        return true;
    }
    return hand.down;
}

QuickDraw::Point PanelDriver::mouse(const Window& in) {
    if (!computerAims())
        return inner_->mouse(in);
    const Hand hand = handNow();
    const QuickDraw::Rect field = windowBounds(WindowID::field);
    const QuickDraw::Rect to = in.bounds();
    return QuickDraw::Point(hand.at.h + field.left - to.left, hand.at.v + field.top - to.top);
}
