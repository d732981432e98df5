// The values and objects that cross between the toolbox, the game and the host.
//
// - WindowID names the game's three fixed windows; their bounds are global coordinates of the
//   emulated screen (top, left, bottom, right), and each window's port has local coordinates from
//   (0, 0) with the bounds' width and height.
// - Window is owned by the Toolbox for its whole life and handed out by reference (Window&); an
//   "optional window" is a Window* that is null for none. Its port and bitmap never change; only the
//   toolbox changes `visible`.
// - MenuState is a value (copied freely, compared over all four fields). Both item arrays have
//   item count + 1 entries; entry 0 stands for no item.
// - Dialog is shared (std::shared_ptr<Dialog>) between the game and the toolbox; its values and
//   refCons change only through the toolbox's control calls. An item without an entry reads as 0.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "QuickDraw.h"

enum class WindowID : int64_t {
    field = 256,
    targets = 257,
    ballSpeed = 258,
};

// All window ids in declaration order (the order the toolbox creates them in).
inline constexpr std::array<WindowID, 3> allWindowIDs{WindowID::field, WindowID::targets, WindowID::ballSpeed};

// The project's one fromRaw template (QuickDraw's), also reachable unqualified: fromRaw<WindowID>(257).
using QuickDraw::fromRaw;

// 256, 257 and 258 name a window; any other raw value names none.
template <>
std::optional<WindowID> QuickDraw::fromRaw<WindowID>(int64_t raw);
int64_t rawValue(WindowID id);
// The window's frame in global screen coordinates.
QuickDraw::Rect windowBounds(WindowID id);

class Window {
public:
    // A hidden window with a new port of the size of the id's bounds.
    explicit Window(WindowID id);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowID id() const { return id_; }
    QuickDraw::Rect bounds() const { return windowBounds(id_); }
    QuickDraw::GrafPort& port() const { return *port_; }
    const std::shared_ptr<QuickDraw::GrafPort>& sharedPort() const { return port_; }
    // Whether the host has been told to show the window.
    bool visible() const { return visible_; }

private:
    friend class Toolbox;
    const WindowID id_;
    const std::shared_ptr<QuickDraw::GrafPort> port_;
    bool visible_ = false;
};

struct MenuState {
    int64_t id = 0;
    bool enabled = true;
    std::vector<bool> itemEnabled;
    std::vector<bool> itemChecked;

    // Item count (the arrays hold one more entry for item 0).
    int64_t itemCount() const { return static_cast<int64_t>(itemEnabled.size()) - 1; }
    bool operator==(const MenuState&) const = default;
};

class Dialog {
public:
    // The classic resource ids: 1000 outs dialog, 1001 About box (an alert), 1002 player-type dialog.
    explicit Dialog(int64_t id) : id_(id) {}

    int64_t id() const { return id_; }
    const std::map<int64_t, int64_t>& values() const { return values_; }
    const std::map<int64_t, int64_t>& refCons() const { return refCons_; }
    // The item's value or refCon; 0 for an item never set.
    int64_t value(int64_t item) const;
    int64_t refCon(int64_t item) const;

private:
    friend class Toolbox;
    const int64_t id_;
    std::map<int64_t, int64_t> values_;
    std::map<int64_t, int64_t> refCons_;
};

struct ControlHandle {
    std::shared_ptr<Dialog> dialog;
    int64_t item = 0;
};

// Raw order matters to the host, which indexes its cursor pictures by it.
enum class CursorKind : int64_t {
    arrow = 0,
    watch = 1,
    cross = 2,
};

// 0, 1 and 2 name a cursor; any other raw value names none.
template <>
std::optional<CursorKind> QuickDraw::fromRaw<CursorKind>(int64_t raw);
int64_t rawValue(CursorKind kind);
