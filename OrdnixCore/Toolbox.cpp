// Toolbox state, events and menus.
#include "Toolbox.h"

#include <utility>

#include "Check.h"

namespace {

std::map<WindowID, Window> makeWindows() {
    std::map<WindowID, Window> windows;
    for (WindowID id : allWindowIDs)
        windows.try_emplace(id, id);
    return windows;
}

// Where a synthesized menu-bar press lies: above the screen's top edge.
constexpr QuickDraw::Point menuBarPoint{0, -10};

} // namespace

Toolbox::Toolbox(std::shared_ptr<MacHost> host)
    : host_(std::move(host)), windows_(makeWindows()), qd_(windows_.at(WindowID::field).port()) {
    ORDNIX_CHECK(host_ != nullptr, "the toolbox needs a host");
    currentWindow_ = &windows_.at(WindowID::field);
}

// ---- events ----

int64_t Toolbox::tickCount() {
    const int64_t tick = host_->tickCount();
    if (tick == lastTick_)
        host_->idle();
    lastTick_ = tick;
    return tick;
}

bool Toolbox::button() {
    host_->idle();
    return host_->button();
}

bool Toolbox::waitMouseUp() { return host_->button(); }

void Toolbox::getMouse(Point& mouse) { mouse = host_->mouse(*currentWindow_); }

void Toolbox::getMouseHV(Point& mouse) { getMouse(mouse); }

bool Toolbox::getNextEvent(int64_t /*mask*/, EventRecord& event) {
    host_->setReadyForMenus(true);
    const std::optional<int64_t> choice = host_->takeMenuChoice();
    if (!choice) {
        host_->idle();
        return false;
    }
    pendingMenuChoice_ = choice;
    event = EventRecord{mouseDown, 0, host_->tickCount(), menuBarPoint, 0};
    return true;
}

int64_t Toolbox::findWindow(Point where, Window*& window) {
    window = nullptr;
    return where.v < 0 ? inMenuBar : inContent;
}

int64_t Toolbox::menuSelect(Point /*where*/) {
    host_->setReadyForMenus(false);
    if (!pendingMenuChoice_)
        return 0;
    const int64_t choice = *pendingMenuChoice_;
    pendingMenuChoice_.reset();
    const MenuState* menu = menuState(choice >> 16);
    if (menu == nullptr || !menu->enabled)
        return 0;
    // Item 0 stands for no item: a choice of it is as malformed as one beyond the menu.
    const int64_t item = choice & 0xFFFF;
    if (item < 1 || item > menu->itemCount() || !menu->itemEnabled[static_cast<size_t>(item)])
        return 0;
    return choice;
}

void Toolbox::flushEvents(int64_t /*mask*/, int64_t /*stopMask*/) { host_->flushEvents(); }

// ---- menus ----

int64_t Toolbox::getMenu(int64_t menuID) {
    if (menus_.count(menuID) != 0)
        return menuID;
    const auto known = menuItems.find(menuID);
    const size_t entries = static_cast<size_t>(known == menuItems.end() ? 0 : known->second) + 1;
    menus_.emplace(menuID, MenuState{menuID, true, std::vector<bool>(entries, true), std::vector<bool>(entries, false)});
    return menuID;
}

void Toolbox::drawMenuBar() { publishMenus(); }

void Toolbox::checkItem(int64_t menu, int64_t item, bool checked) {
    if (MenuState* state = menuState(menu)) {
        ORDNIX_CHECK(item >= 0 && item <= state->itemCount(), "checkItem: the item lies within the menu");
        state->itemChecked[static_cast<size_t>(item)] = checked;
    }
    publishMenus();
}

void Toolbox::enableItem(int64_t menu, int64_t item) { setItemEnabled(menu, item, true); }

void Toolbox::disableItem(int64_t menu, int64_t item) { setItemEnabled(menu, item, false); }

void Toolbox::setItemEnabled(int64_t menu, int64_t item, bool enabled) {
    if (MenuState* state = menuState(menu)) {
        ORDNIX_CHECK(item >= 0 && item <= state->itemCount(), "enableItem/disableItem: the item lies within the menu");
        if (item == 0)
            state->enabled = enabled;
        else
            state->itemEnabled[static_cast<size_t>(item)] = enabled;
    }
    publishMenus();
}

int64_t Toolbox::hiWord(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>((value >> 16) & 0xFFFF)); }

int64_t Toolbox::loWord(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

MenuState* Toolbox::menuState(int64_t menu) {
    const auto found = menus_.find(menu);
    return found == menus_.end() ? nullptr : &found->second;
}

void Toolbox::publishMenus() {
    std::vector<MenuState> all;
    all.reserve(menus_.size());
    for (const auto& [id, state] : menus_)
        all.push_back(state);
    host_->menusChanged(all);
}
