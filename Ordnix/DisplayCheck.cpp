#include "DisplayCheck.h"

#include <cstdlib>

namespace DisplayCheck {

namespace {
std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
} // namespace

Environment fromEnvironment() {
    return Environment{variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
}

bool hasDisplay(const Environment& environment) {
    if (!environment.display.empty() || !environment.waylandDisplay.empty())
        return true;
    // The first platform of a fallback list is the one asked for; xcb and wayland need a server.
    const std::string platform = environment.platform.substr(0, environment.platform.find_first_of(";:"));
    return !platform.empty() && platform.rfind("xcb", 0) != 0 && platform.rfind("wayland", 0) != 0;
}

} // namespace DisplayCheck
