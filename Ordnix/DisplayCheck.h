// DisplayCheck: whether the desktop can show a window at all, decided before Qt is started.
//
// Qt aborts (with a core dump) when no platform plugin can start; the game instead says in one line
// that it needs a graphical desktop and exits with status 1.
#pragma once

#include <string>
#include <vector>

namespace DisplayCheck {

inline constexpr const char* noDisplayMessage =
    "Ordnix needs a graphical desktop: no X11 or Wayland display could be opened.";

struct Environment {
    std::string display;        // DISPLAY
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string platform;       // QT_QPA_PLATFORM
};

Environment fromEnvironment();

// A platform named explicitly that needs no display server (offscreen, vnc, ...) counts as a display;
// otherwise an X11 or Wayland display must be named.
bool hasDisplay(const Environment& environment);

// The one line said when Qt cannot start its platform after all: that the game needs a desktop, and
// Qt's own messages as the reason, each on one line, joined by "; ".
std::string startUpFailure(const std::vector<std::string>& qtMessages);

} // namespace DisplayCheck
