// SessionFacts: what besides the host's answers decides a session's pixels, and the pixel hash.
//
// - The windows a host has been handed (by showWindow, hideWindow or mouse) are noted in a WindowSet;
//   a recording host and a replay host see the same calls, so they note the same windows and hash the
//   same pixels. A window never handed counts as absent.
// - The text face: fontconfig may resolve the game's family to another face on another machine, so a
//   recording names the face and hashes its file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ToolboxTypes.h"

class WindowSet {
public:
    void note(const Window& window);
    const Window* window(WindowID id) const;
    // FNV-1a over each noted window's id and pixel bytes, in window id order; reads under screenLock.
    uint64_t hash() const;

private:
    std::array<const Window*, 3> windows_{};
};

struct FaceIdentity {
    std::string name; // the face's family and style, or "none"
    uint64_t hash = 0; // FNV-1a of the face file's bytes (0: no file)
};

// The face the text renderer resolves for its family on this machine (looked up once).
const FaceIdentity& resolvedFace();

// The game version a build records ("1.0").
const char* ordnixGameVersion();
