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

std::string startUpFailure(const std::vector<std::string>& qtMessages) {
    std::string reasons;
    for (const std::string& message : qtMessages) {
        // Qt's messages run over several lines and end in blank ones; the reason stays on one line.
        std::string line;
        bool space = false;
        for (const char c : message) {
            const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
            if (blank && !line.empty())
                space = true;
            if (blank)
                continue;
            if (space)
                line += ' ';
            space = false;
            line += c;
        }
        if (line.empty())
            continue;
        if (!reasons.empty())
            reasons += "; ";
        reasons += line;
    }
    return std::string("Ordnix needs a graphical desktop, but Qt could not start one: ") +
           (reasons.empty() ? std::string("no reason given") : reasons);
}

} // namespace DisplayCheck
