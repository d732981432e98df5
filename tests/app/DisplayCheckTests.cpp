#include <gtest/gtest.h>

#include "DisplayCheck.h"

namespace {

TEST(DisplayCheck, ADisplayServerOrAServerlessPlatformIsNeeded) {
    struct Case {
        DisplayCheck::Environment environment;
        bool display;
    };
    const std::vector<Case> cases = {
        {{"", "", ""}, false},
        {{":0", "", ""}, true},
        {{"", "wayland-0", ""}, true},
        {{"", "", "offscreen"}, true},
        {{"", "", "vnc:size=800x600"}, true},
        {{"", "", "xcb"}, false},
        {{"", "", "wayland;xcb"}, false},
        {{"", "", "wayland-egl"}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayCheck::hasDisplay(c.environment), c.display)
            << "DISPLAY=" << c.environment.display << " WAYLAND_DISPLAY=" << c.environment.waylandDisplay
            << " QT_QPA_PLATFORM=" << c.environment.platform;
}

} // namespace
