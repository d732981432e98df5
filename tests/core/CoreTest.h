// Shared setup of the toolbox tests: a toolbox on a fresh scripted host.
#pragma once

#include <gtest/gtest.h>

#include "ScriptedHost.h"
#include "Toolbox.h"

struct CoreTest : ::testing::Test {
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Toolbox tb{host};

    void createGameMenus() {
        for (int64_t id = 256; id <= 264; ++id)
            tb.getMenu(id);
    }
};

constexpr int64_t choice(int64_t menu, int64_t item) { return (menu << 16) + item; }
