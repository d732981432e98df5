// Leaks of system libraries that no program can free: fontconfig keeps what it parsed from its
// configuration, and libdbus keeps read buffers of the session-bus connections that Qt and SDL open.
// Sanitizer builds of the executables hand this list to LeakSanitizer through its
// __lsan_default_suppressions hook, so that a report always means a leak of our own.
#pragma once

namespace LeakSuppressions {
inline constexpr const char* systemLibraries = "leak:libfontconfig.so\n"
                                               "leak:libdbus-1.so\n";
} // namespace LeakSuppressions
