#include "ToolboxTypes.h"

#include "Check.h"

template <>
std::optional<WindowID> QuickDraw::fromRaw<WindowID>(int64_t raw) {
    for (WindowID id : allWindowIDs)
        if (static_cast<int64_t>(id) == raw)
            return id;
    return std::nullopt;
}

int64_t rawValue(WindowID id) { return static_cast<int64_t>(id); }

QuickDraw::Rect windowBounds(WindowID id) {
    // Rect takes left, top, right, bottom.
    if (id == WindowID::field)
        return QuickDraw::Rect(0, 20, 512, 342);
    if (id == WindowID::targets)
        return QuickDraw::Rect(10, 35, 500, 320);
    ORDNIX_CHECK(id == WindowID::ballSpeed, "a window id names one of the three windows");
    return QuickDraw::Rect(97, 55, 397, 205);
}

Window::Window(WindowID id)
    : id_(id), port_(std::make_shared<QuickDraw::GrafPort>(windowBounds(id).width(), windowBounds(id).height())) {}

int64_t Dialog::value(int64_t item) const {
    const auto found = values_.find(item);
    return found == values_.end() ? 0 : found->second;
}

int64_t Dialog::refCon(int64_t item) const {
    const auto found = refCons_.find(item);
    return found == refCons_.end() ? 0 : found->second;
}

template <>
std::optional<CursorKind> QuickDraw::fromRaw<CursorKind>(int64_t raw) {
    if (raw < 0 || raw > 2)
        return std::nullopt;
    return static_cast<CursorKind>(raw);
}

int64_t rawValue(CursorKind kind) { return static_cast<int64_t>(kind); }
