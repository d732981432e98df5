#include "KeyDriver.h"

#include <algorithm>
#include <cstdlib>

#include "BattleMenu.h"
#include "Ordnix.h"

namespace {
constexpr int64_t handMadeTerrain = 4;

using QuickDraw::Point;
using QuickDraw::Rect;

Point centre(const Rect& r) { return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// The target values screen's rows: the value's field, whether it is a penalty (-20 to 0), its label.
struct Row {
    int64_t Ordnix::*value;
    bool negative;
    const char* label;
};
const std::array<Row, 13> rows{{
    {nullptr, false, ""},
    {&Ordnix::gValLLCannon, true, "Left Hits Left Cannon"},
    {&Ordnix::gValLRCannon, false, "Left Hits Right Cannon"},
    {&Ordnix::gValLLHosp, true, "Left Hits Left Hospital"},
    {&Ordnix::gValLRHosp, true, "Left Hits Right Hospital"},
    {&Ordnix::gValLLPost, true, "Left Hits Left Command Post"},
    {&Ordnix::gValLRPost, false, "Left Hits Right Command Post"},
    {&Ordnix::gValRLCannon, false, "Right Hits Left Cannon"},
    {&Ordnix::gValRRCannon, true, "Right Hits Right Cannon"},
    {&Ordnix::gValRLHosp, true, "Right Hits Left Hospital"},
    {&Ordnix::gValRRHosp, true, "Right Hits Right Hospital"},
    {&Ordnix::gValRLPost, false, "Right Hits Left Command Post"},
    {&Ordnix::gValRRPost, true, "Right Hits Right Command Post"},
}};
constexpr int64_t defaultControl = 13, okControl = 14;
constexpr int64_t pixelsPerPoint = 4;

// The ball speed screen's fixed layout (window-local).
constexpr int64_t slowestX = 57, fastestX = 249, speedRow = 70;
constexpr Rect speedSlider(57, 64, 250, 77);
constexpr Rect observeButton(40, 111, 140, 138);
constexpr Rect speedOKButton(222, 111, 267, 138);

int64_t step(KeyDriver::KeyPress key) {
    const int64_t size = key.shift ? 10 : 1;
    switch (key.key) {
    case KeyDriver::Key::left:
    case KeyDriver::Key::down:
        return -size;
    case KeyDriver::Key::right:
    case KeyDriver::Key::up:
        return size;
    default:
        return 0;
    }
}

std::string side(int64_t which) { return which == 1 ? "left" : "right"; }
std::string Side(int64_t which) { return which == 1 ? "Left" : "Right"; }

std::string scoreLine(const Ordnix& g) {
    return "Score: left " + std::to_string(g.gScoreL) + ", right " + std::to_string(g.gScoreR) + ".";
}

int64_t treesDown(const Ordnix& g) {
    int64_t down = 0;
    for (int64_t i = 2; i <= g.gNumTrees && i < static_cast<int64_t>(g.gTreeDown.size()); ++i)
        down += g.gTreeDown[static_cast<size_t>(i)] ? 1 : 0;
    return down;
}
} // namespace

KeyDriver::KeyDriver(std::shared_ptr<MacHost> inner) : ForwardingHost(std::move(inner)) {}

void KeyDriver::setListener(std::function<void(const News&)> listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    listener_ = std::move(listener);
}

void KeyDriver::press(KeyPress key) {
    std::lock_guard<std::mutex> lock(mutex_);
    // A held key repeats; a queue longer than a hand could mean is not worth keeping.
    if (keys_.size() < 64)
        keys_.push_back(key);
}

std::optional<KeyDriver::KeyPress> KeyDriver::takeKey() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (keys_.empty())
        return std::nullopt;
    const KeyPress key = keys_.front();
    keys_.pop_front();
    return key;
}

bool KeyDriver::keysWaiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !keys_.empty();
}

void KeyDriver::idle() {
    const bool keysAct = place_ != Place::elsewhere && !(place_ == Place::aiming && computerTurn_);
    if (keysAct && !pacing_ && keysWaiting())
        return;
    inner_->idle();
}

void KeyDriver::dropKeys() {
    std::lock_guard<std::mutex> lock(mutex_);
    keys_.clear();
}

void KeyDriver::flushEvents() {
    dropKeys();
    inner_->flushEvents();
}

void KeyDriver::enter(Place place, int64_t focus) {
    place_ = place;
    focus_ = focus;
    dropKeys();
    click_.reset();
    releaseNext_ = false;
    tellValue_ = false;
}

bool KeyDriver::button() {
    pacing_ = false;
    const bool hand = inner_->button();
    click_.reset();
    if (releaseNext_) {
        releaseNext_ = false;
        if (tellValue_) {
            tellValue_ = false;
            tell({focusText()});
        }
        return false;
    }
    if (entering_) {
        entering_ = false;
        tell({place_ == Place::targetValues ? "Target values. Tab moves between the controls, arrows change the "
                                              "value, Return is OK. " + focusText() + "."
                                            : "Ball speed. Tab moves between the controls, arrows change the "
                                              "speed, Return is OK. " + focusText() + "."});
    }
    while (const std::optional<KeyPress> key = takeKey()) {
        if (std::optional<Click> click = act(*key)) {
            click_ = click;
            releaseNext_ = true;
            return true;
        }
    }
    return hand;
}

QuickDraw::Point KeyDriver::mouse(const Window& in) {
    // Read below in any case: the host learns that the core reads the pointer, as it does.
    const Point hand = inner_->mouse(in);
    if (!click_)
        return hand;
    const Rect from = windowBounds(click_->window);
    const Rect to = in.bounds();
    return Point(click_->at.h + from.left - to.left, click_->at.v + from.top - to.top);
}

std::optional<KeyDriver::Click> KeyDriver::act(KeyPress key) {
    if (game_ == nullptr || place_ == Place::elsewhere || (place_ == Place::aiming && computerTurn_))
        return std::nullopt;
    keysUsed_ = true;
    if (key.key == Key::tab && key.shift)
        key = KeyPress{Key::backTab, false};
    switch (place_) {
    case Place::aiming:
        return actAiming(key);
    case Place::targetValues:
        return actTargetValues(key);
    case Place::ballSpeed:
        return actBallSpeed(key);
    case Place::elsewhere:
        break;
    }
    return std::nullopt;
}

std::optional<KeyDriver::Click> KeyDriver::actAiming(KeyPress key) {
    const Ordnix& g = *game_;
    switch (key.key) {
    case Key::up:
    case Key::down:
    case Key::tab:
    case Key::backTab:
        focus_ = key.key == Key::up ? 0 : key.key == Key::down ? 1 : 1 - focus_;
        tell({focusText()});
        return std::nullopt;
    case Key::enter:
    case Key::space:
        return Click{WindowID::field, centre(g.gFireRect)};
    case Key::left:
    case Key::right:
        break;
    }
    const bool left = g.gTurn == 1;
    tellValue_ = true;
    if (focus_ == 0) {
        const int64_t to = std::clamp((left ? g.gPowderL : g.gPowderR) + step(key), int64_t{10}, int64_t{100});
        return Click{WindowID::field, Point(g.gPowSlider.left + to - 10, (g.gPowSlider.top + g.gPowSlider.bottom) / 2)};
    }
    const int64_t to = std::clamp((left ? g.gElevL : g.gElevR) + step(key), int64_t{0}, int64_t{89});
    return Click{WindowID::field, Point(g.gEleSlider.left + to, (g.gEleSlider.top + g.gEleSlider.bottom) / 2)};
}

std::optional<KeyDriver::Click> KeyDriver::actTargetValues(KeyPress key) {
    const Ordnix& g = *game_;
    switch (key.key) {
    case Key::tab:
        focus_ = focus_ % okControl + 1;
        tell({focusText()});
        return std::nullopt;
    case Key::backTab:
        focus_ = (focus_ + okControl - 2) % okControl + 1;
        tell({focusText()});
        return std::nullopt;
    case Key::enter:
        return Click{WindowID::targets, centre(g.gOKRect)};
    case Key::space:
        if (focus_ == defaultControl) {
            tellValue_ = true;
            return Click{WindowID::targets, centre(g.gDefaultRect)};
        }
        if (focus_ == okControl)
            return Click{WindowID::targets, centre(g.gOKRect)};
        return std::nullopt;
    default:
        break;
    }
    if (focus_ < 1 || focus_ > 12)
        return std::nullopt;
    const auto i = static_cast<size_t>(focus_);
    const Row& row = rows[i];
    const int64_t low = row.negative ? -20 : 0;
    const int64_t to = std::clamp(g.*row.value + step(key), low, low + 20);
    // One pixel into the value's 4-pixel step: the column that reads back as exactly that value.
    const Rect& slider = g.gSliderRect[i];
    tellValue_ = true;
    return Click{WindowID::targets,
                 Point(g.gSlLeft[i] + (to - low) * pixelsPerPoint + 1, (slider.top + slider.bottom) / 2)};
}

std::optional<KeyDriver::Click> KeyDriver::actBallSpeed(KeyPress key) {
    const Ordnix& g = *game_;
    switch (key.key) {
    case Key::tab:
        focus_ = (focus_ + 1) % 3;
        tell({focusText()});
        return std::nullopt;
    case Key::backTab:
        focus_ = (focus_ + 2) % 3;
        tell({focusText()});
        return std::nullopt;
    case Key::enter:
        return Click{WindowID::ballSpeed, centre(speedOKButton)};
    case Key::space:
        if (focus_ == 1)
            return Click{WindowID::ballSpeed, centre(observeButton)};
        if (focus_ == 2)
            return Click{WindowID::ballSpeed, centre(speedOKButton)};
        return std::nullopt;
    default:
        break;
    }
    if (focus_ != 0)
        return std::nullopt;
    tellValue_ = true;
    return Click{WindowID::ballSpeed, Point(std::clamp(g.gSpeedX + step(key), slowestX, fastestX), speedRow)};
}

void KeyDriver::showWindow(const Window& window) {
    inner_->showWindow(window);
    if (window.id() == WindowID::targets || window.id() == WindowID::ballSpeed) {
        enter(window.id() == WindowID::targets ? Place::targetValues : Place::ballSpeed,
              window.id() == WindowID::targets ? 1 : 0);
        // The screen's controls are laid out once the core polls it for the first time.
        entering_ = true;
    }
}

void KeyDriver::hideWindow(const Window& window) {
    inner_->hideWindow(window);
    const bool screen = (window.id() == WindowID::targets && place_ == Place::targetValues) ||
                        (window.id() == WindowID::ballSpeed && place_ == Place::ballSpeed);
    if (screen) {
        enter(Place::elsewhere, 0);
        entering_ = false;
        tell({});
    }
}

void KeyDriver::menusChanged(const std::vector<MenuState>& menus) {
    inner_->menusChanged(menus);
    if (game_ == nullptr)
        return;
    const BattleMenu battle = BattleMenu::read(menus);
    const bool battleOn = battle.battleOn, startOn = battle.startOn;
    const Ordnix& g = *game_;
    const bool aiming = battle.aiming();
    std::vector<std::string> said;

    // The core publishes its menus item by item: "START A BATTLE" going off in the Battle menu is the
    // first sign of a battle.
    if (startOffered_ && !startOn && battleOn) {
        battleRuns_ = true;
        said.push_back("Battle started.");
        if (g.gTerrain == handMadeTerrain)
            said.push_back("Draw your own field with the pointer: the field editor has no keys.");
    }
    if (startOn)
        battleRuns_ = false;
    startOffered_ = startOn;

    if (aiming && place_ != Place::aiming) {
        computerTurn_ = computerPlays_ && computerPlays_(g.gTurn);
        enter(Place::aiming, 0);
        said.push_back(turnText());
    } else if (!aiming && place_ == Place::aiming) {
        enter(Place::elsewhere, 0);
        if (g.gStopBattle) {
            said.push_back("Battle stopped.");
        } else {
            BeforeShot before;
            before.shooter = g.gTurn;
            before.scoreL = g.gScoreL;
            before.scoreR = g.gScoreR;
            before.treesDown = treesDown(g);
            before.leftCannonDead = g.gLCanDead;
            before.rightCannonDead = g.gRCanDead;
            before.buildingsUp = {g.gLHospUp, g.gLPostUp, g.gRHospUp, g.gRPostUp};
            shot_ = before;
            if (computerTurn_)
                said.push_back("The computer fires with powder " +
                               std::to_string(g.gTurn == 1 ? g.gPowderL : g.gPowderR) + ", elevation " +
                               std::to_string(g.gTurn == 1 ? g.gElevL : g.gElevR) + ".");
        }
    }
    tell(std::move(said));
}

void KeyDriver::showCursor(bool visible) {
    inner_->showCursor(visible);
    // The cursor comes back once the shot's impact and scoring are over.
    if (visible && shot_ && game_ != nullptr) {
        std::vector<std::string> said = shotText();
        shot_.reset();
        tell(std::move(said));
    }
}

std::string KeyDriver::focusText() const {
    const Ordnix& g = *game_;
    switch (place_) {
    case Place::aiming: {
        const bool left = g.gTurn == 1;
        return focus_ == 0 ? "Powder " + std::to_string(left ? g.gPowderL : g.gPowderR)
                           : "Elevation " + std::to_string(left ? g.gElevL : g.gElevR);
    }
    case Place::targetValues:
        if (focus_ >= 1 && focus_ <= 12)
            return std::string(rows[static_cast<size_t>(focus_)].label) + " " +
                   std::to_string(g.*rows[static_cast<size_t>(focus_)].value);
        return focus_ == defaultControl ? "Default Settings button" : "OK button";
    case Place::ballSpeed:
        if (focus_ == 0)
            return "Ball speed " + std::to_string(g.gSpeedX - slowestX) + " of " +
                   std::to_string(fastestX - slowestX);
        return focus_ == 1 ? "Observe button" : "OK button";
    case Place::elsewhere:
        break;
    }
    return {};
}

std::string KeyDriver::turnText() const {
    const Ordnix& g = *game_;
    std::string text = Side(g.gTurn) + " cannon to fire.";
    if (computerTurn_)
        text += " The computer plays it.";
    // A wind chosen from the menu blows from the next battlefield on; until then there is none.
    if (g.gWindMax < 1 || g.gWindSpeed < 1)
        return text + " No wind.";
    return text + " Wind " + std::to_string(g.gWindSpeed) + " from the " + (g.gWindDir == 1 ? "left" : "right") +
           ", push " + std::to_string(g.gWindSpeed * 4 / 10) + ".";
}

std::vector<std::string> KeyDriver::shotText() const {
    const Ordnix& g = *game_;
    const BeforeShot& before = *shot_;
    const int64_t shooter = before.shooter;
    const int64_t enemy = shooter == 1 ? 2 : 1;
    const bool enemyFell = enemy == 2 ? g.gRCanDead && !before.rightCannonDead : g.gLCanDead && !before.leftCannonDead;
    std::vector<std::string> said;
    // Positive when the ball ended between the shooter and the enemy cannon.
    const auto shortOf = [&](int64_t h) { return shooter == 1 ? g.gCanRX - h : h - g.gCanLX; };
    const auto distance = [&](int64_t d) {
        const std::string target = "the " + side(enemy) + " cannon";
        if (d == 0)
            return "right at " + target;
        return std::to_string(std::abs(d)) + (std::abs(d) == 1 ? " pixel " : " pixels ") +
               (d > 0 ? "short of " : "beyond ") + target;
    };
    if (g.gLanded) {
        if (!enemyFell)
            said.push_back("Landed " + distance(shortOf(g.gHitPt.h)) + ".");
    } else if (shooter == 1 ? g.gBallX + 2 > 509 : g.gBallX + 2 < 5) {
        said.push_back(std::string("Flew off the field to the ") + (shooter == 1 ? "right." : "left."));
    } else {
        said.push_back("Fell through the bottom of the field, " + distance(shortOf(g.gBallX + 2)) + ".");
    }

    const std::array<bool, 4> up{g.gLHospUp, g.gLPostUp, g.gRHospUp, g.gRPostUp};
    const std::array<const char*, 4> buildings{"left hospital", "left command post", "right hospital",
                                               "right command post"};
    if (g.gLCanDead && !before.leftCannonDead)
        said.push_back("Hit the left cannon.");
    if (g.gRCanDead && !before.rightCannonDead)
        said.push_back("Hit the right cannon.");
    for (size_t i = 0; i < up.size(); ++i)
        if (before.buildingsUp[i] && !up[i])
            said.push_back(std::string("Hit the ") + buildings[i] + ".");
    const int64_t felled = treesDown(g) - before.treesDown;
    if (felled == 1)
        said.push_back("Felled a tree.");
    else if (felled > 1)
        said.push_back("Felled " + std::to_string(felled) + " trees.");

    const int64_t gained = shooter == 1 ? g.gScoreL - before.scoreL : g.gScoreR - before.scoreR;
    if (g.gScoreL != before.scoreL || g.gScoreR != before.scoreR)
        said.push_back(Side(shooter) + (gained >= 0 ? " gains " : " loses ") + std::to_string(std::abs(gained)) +
                       (std::abs(gained) == 1 ? " point. " : " points. ") + scoreLine(g));
    const bool cannonFell = (g.gLCanDead && !before.leftCannonDead) || (g.gRCanDead && !before.rightCannonDead);
    if (cannonFell)
        said.push_back("Battle over: the " + side(g.gKilled) + " cannon is destroyed.");
    return said;
}

std::string KeyDriver::situation() const {
    if (game_ == nullptr)
        return {};
    const Ordnix& g = *game_;
    switch (place_) {
    case Place::aiming: {
        const bool left = g.gTurn == 1;
        std::string text = turnText() + " Powder " + std::to_string(left ? g.gPowderL : g.gPowderR) +
                           ", elevation " + std::to_string(left ? g.gElevL : g.gElevR) + ".";
        if (!computerTurn_)
            text += focus_ == 0 ? " Keys move the powder." : " Keys move the elevation.";
        return text + " " + scoreLine(g);
    }
    case Place::targetValues:
        return "Target values: " + focusText() + ". Tab moves, arrows change, Return is OK.";
    case Place::ballSpeed:
        return "Ball speed screen: " + focusText() + ". Tab moves, arrows change, Return is OK.";
    case Place::elsewhere:
        break;
    }
    if (shot_)
        return Side(shot_->shooter) + " cannon's ball in flight. " + scoreLine(g);
    if (battleRuns_)
        return g.gTerrain == handMadeTerrain ? "Battle on a field drawn by hand; the field editor needs the pointer. " +
                                                   scoreLine(g)
                                             : "Battle running. " + scoreLine(g);
    return "Between battles. " + scoreLine(g) + " Start a battle from the Battle menu.";
}

std::optional<KeyDriver::FocusMark> KeyDriver::mark() const {
    if (!keysUsed_ || game_ == nullptr)
        return std::nullopt;
    const Ordnix& g = *game_;
    switch (place_) {
    case Place::aiming:
        if (computerTurn_)
            return std::nullopt;
        return FocusMark{WindowID::field, focus_ == 0 ? g.gPowSlider : g.gEleSlider};
    case Place::targetValues:
        if (focus_ >= 1 && focus_ <= 12)
            return FocusMark{WindowID::targets, g.gSliderRect[static_cast<size_t>(focus_)]};
        return FocusMark{WindowID::targets, focus_ == defaultControl ? g.gDefaultRect : g.gOKRect};
    case Place::ballSpeed:
        return FocusMark{WindowID::ballSpeed, focus_ == 0 ? speedSlider : focus_ == 1 ? observeButton : speedOKButton};
    case Place::elsewhere:
        break;
    }
    return std::nullopt;
}

void KeyDriver::tell(std::vector<std::string> said) {
    std::function<void(const News&)> listener;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        listener = listener_;
    }
    if (!listener)
        return;
    News news;
    news.said = std::move(said);
    news.situation = situation();
    news.mark = mark();
    listener(news);
}
