#include <gtest/gtest.h>

#include <future>
#include <string>

#include <pthread.h>

#include "GameThread.h"

namespace {

TEST(GameThread, RunsDetachedWithItsNameAndSixteenMebibytesOfStack) {
    // Shared with the thread, which may still be leaving set_value when the test goes on.
    auto seen = std::make_shared<std::promise<std::pair<std::string, size_t>>>();
    auto result = seen->get_future();
    ASSERT_TRUE(GameThread::start([seen] {
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        pthread_attr_t attributes;
        size_t stack = 0;
        if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
            pthread_attr_getstacksize(&attributes, &stack);
            pthread_attr_destroy(&attributes);
        }
        seen->set_value({name, stack});
    }));
    const auto [name, stack] = result.get();
    EXPECT_EQ(name, "Ordnix");
    EXPECT_GE(stack, size_t{16} * 1024 * 1024);
}

} // namespace
