#include "HostOp.h"

const char* hostOpName(HostOp op) {
    switch (op) {
    case HostOp::tickCount: return "tickCount";
    case HostOp::spin: return "spin";
    case HostOp::idle: return "idle";
    case HostOp::button: return "button";
    case HostOp::mouse: return "mouse";
    case HostOp::takeMenuChoice: return "takeMenuChoice";
    case HostOp::setReadyForMenus: return "setReadyForMenus";
    case HostOp::flushEvents: return "flushEvents";
    case HostOp::showWindow: return "showWindow";
    case HostOp::hideWindow: return "hideWindow";
    case HostOp::menusChanged: return "menusChanged";
    case HostOp::setCursor: return "setCursor";
    case HostOp::showCursor: return "showCursor";
    case HostOp::alert: return "alert";
    case HostOp::openDialog: return "openDialog";
    case HostOp::dialogChanged: return "dialogChanged";
    case HostOp::modalDialog: return "modalDialog";
    case HostOp::closeDialog: return "closeDialog";
    case HostOp::soundVolume: return "soundVolume";
    case HostOp::setSoundVolume: return "setSoundVolume";
    case HostOp::playSound: return "playSound";
    case HostOp::stopSound: return "stopSound";
    case HostOp::soundDone: return "soundDone";
    case HostOp::sysBeep: return "sysBeep";
    case HostOp::secondsSince1970: return "secondsSince1970";
    }
    return "?";
}

std::optional<HostOp> hostOpFromRaw(int64_t raw) {
    if (raw < 0 || raw >= hostOpCount)
        return std::nullopt;
    return static_cast<HostOp>(raw);
}
