#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(DisplayCheck, AStartUpFailureIsOneLineWithQtsReasons) {
    struct Case {
        std::vector<std::string> messages;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{"could not connect to display :397",
          "This application failed to start.\n\nAvailable platform plugins are: xcb, offscreen.\n\n"},
         "could not connect to display :397; This application failed to start. Available platform plugins are: "
         "xcb, offscreen."},
        {{"  \n", "Could not find the Qt platform plugin \"nosuch\" in \"\""},
         "Could not find the Qt platform plugin \"nosuch\" in \"\""},
        {{}, "no reason given"},
    };
    for (const Case& c : cases) {
        const std::string line = DisplayCheck::startUpFailure(c.messages);
        EXPECT_EQ(line, "Ordnix needs a graphical desktop, but Qt could not start one: " + c.reason);
    }
}
