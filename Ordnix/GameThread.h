// GameThread: the thread that runs the game's main routine.
//
// std::thread cannot choose its stack size, and the game's deepest paths (a battle inside a menu
// command inside the main loop, with the drawing calls below) want more than the platform default, so
// the thread is made with POSIX attributes. It runs detached: when the player quits, the game thread
// is parked inside the host and the process ends around it without joining it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace GameThread {

inline constexpr size_t stackSize = 16 * 1024 * 1024;
inline constexpr const char* name = "Ordnix";

// Starts `body` on a new detached thread with that name and stack size; false when the system
// refuses to create the thread.
bool start(std::function<void()> body, const std::string& threadName = name, size_t stackBytes = stackSize);

} // namespace GameThread
