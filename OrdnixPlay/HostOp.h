// HostOp: one name per MacHost call, in the interface's order, for call logs and recordings.
//
// The raw values are stored in recordings: never renumber an op, only append new ones.
#pragma once

#include <cstdint>
#include <optional>

enum class HostOp : int64_t {
    tickCount,
    spin,
    idle,
    button,
    mouse,
    takeMenuChoice,
    setReadyForMenus,
    flushEvents,
    showWindow,
    hideWindow,
    menusChanged,
    setCursor,
    showCursor,
    alert,
    openDialog,
    dialogChanged,
    modalDialog,
    closeDialog,
    soundVolume,
    setSoundVolume,
    playSound,
    stopSound,
    soundDone,
    sysBeep,
    secondsSince1970,
};
inline constexpr int64_t hostOpCount = static_cast<int64_t>(HostOp::secondsSince1970) + 1;

const char* hostOpName(HostOp op);
std::optional<HostOp> hostOpFromRaw(int64_t raw);
