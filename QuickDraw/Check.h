// Always-on precondition checks.
//
// A broken precondition (a pattern of the wrong length, an index outside a fixed table, an undefined
// window) is a programming error, not a condition to recover from: the check prints the failed
// expression with file and line and aborts, in every build type.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace QuickDraw::detail {
[[noreturn]] inline void checkFailed(const char* expression, const char* message, const char* file, int line) {
    std::fprintf(stderr, "Ordnix: check failed: %s (%s) at %s:%d\n", expression, message, file, line);
    std::fflush(stderr);
    std::abort();
}
} // namespace QuickDraw::detail

// ORDNIX_CHECK(condition, "what must hold")
#define ORDNIX_CHECK(condition, message)                                                            \
    do {                                                                                            \
        if (!(condition)) [[unlikely]]                                                              \
            ::QuickDraw::detail::checkFailed(#condition, message, __FILE__, __LINE__);              \
    } while (false)
